#!/bin/sh
# Starts the built program in an X server (run under xvfb-run), checks that
# its window comes up, then ends it both ways a user can: Ctrl+X, which ends
# at once, and the window's close, which asks the donation question first.
# Usage: whole_program.sh PROGRAM X11CLOSE
set -eu
program=$1
x11close=$2
pid=

fail() {
    echo "FAIL: $*" >&2
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    exit 1
}

# Starts the program and sets $pid and $window.
start() {
    "$program" &
    pid=$!
    window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Orvanta - Textorum$' | head -n 1) \
        || fail "the main window did not come up"
    width=$(xwininfo -id "$window" | sed -n 's/^ *Width: *//p')
    [ "$width" = 347 ] || fail "the main window is $width px wide"
    xdotool windowfocus --sync "$window"
}

# Waits for the program to end by itself and checks that it ended well.
expect_exit() {
    timeout 20 tail -s 0.1 --pid="$pid" -f /dev/null || fail "the program did not end"
    wait "$pid" || fail "the program ended with status $?"
    pid=
}

# Help > "Tutorials n Contents" opens this file.
[ -s "$(dirname "$program")/readme.txt" ] || fail "no readme.txt beside the program"

start
# The focus starts in the Find box, where Ctrl+X cuts text: move it to the
# file list first (Find box, With box, file list).
xdotool key Tab Tab
xdotool key ctrl+x
expect_exit
echo "PASS: Ctrl+X ends the program without a question"

start
"$x11close" "$window" || fail "could not ask the window to close"
prompt=$(timeout 20 xdotool search --sync --onlyvisible --name '^Textorum$' | head -n 1) \
    || fail "no donation question on close"
xdotool windowfocus --sync "$prompt"
xdotool key Escape
expect_exit
echo "PASS: closing asks the donation question, then the program ends"
echo "2 passed, 0 failed"
