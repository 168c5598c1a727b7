#!/bin/sh
# Starts the built program in an X server (run under xvfb-run), checks that
# its window comes up, then ends it both ways a user can: Ctrl+X, which ends
# at once, and the window's close, which asks the donation question first.
# A file dropped by a source that proposes Move is taken as a Copy.
# Usage: whole_program.sh PROGRAM X11CLOSE XDNDDRAG
set -eu
program=$1
x11close=$2
xdnddrag=$3
pid=
temp=$(mktemp -d)
trap 'rm -rf "$temp"' EXIT

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

# A file manager asked to move (Shift held) deletes the originals when the
# target says it moved them: the drop must be finished as a Copy. The file is
# listed: a run with its text as Find rewrites it (no mode: the same text and
# a CR LF).
printf 'dropped' >"$temp/dropped.txt"
start
# Inside the file list, below the menu bar and the Find and With rows.
action=$("$xdnddrag" "$window" 170 170 "file://$temp/dropped.txt") || fail "the drop did not finish: $action"
[ "$action" = copy ] || fail "the drop was finished as $action, not copy"
xdotool type dropped
xdotool key ctrl+e
for _ in $(seq 100); do
    [ "$(od -An -c "$temp/dropped.txt" | tr -d ' \n')" = 'dropped\r\n' ] && break
    sleep 0.1
done
[ "$(od -An -c "$temp/dropped.txt" | tr -d ' \n')" = 'dropped\r\n' ] || fail "the dropped file was not listed and edited"
xdotool key Tab Tab ctrl+x
expect_exit
echo "PASS: a drop proposing Move is finished as Copy, and the file is listed"
echo "3 passed, 0 failed"
