#!/bin/sh
# Starts the built program in an X server (run under xvfb-run), checks that
# its window comes up, then ends it both ways a user can: Ctrl+X, which ends
# at once, and the window's close, which asks the donation question first.
# A file dropped by a source that proposes Move is taken as a Copy. Then its
# command line: --help, --version and a bad option, and paths given to it,
# which it lists as a drop of them would.
# Usage: whole_program.sh PROGRAM X11CLOSE XDNDDRAG
set -eu
program=$1
x11close=$2
xdnddrag=$3
pid=
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The program keeps a setting: here, not in the user's own.
export XDG_CONFIG_HOME="$work/config"

fail() {
    echo "FAIL: $*" >&2
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    exit 1
}

# Starts the program with the given arguments and sets $pid and $window.
start() {
    "$program" "$@" &
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
# listed: a run that appends "!" to its text rewrites it. The keys go from the
# Find box to the With box, then past the file list, Clear and Execute to the
# mode list, where Space ticks Append.
printf 'dropped' >"$work/dropped.txt"
start
# Inside the file list, below the menu bar and the Find and With rows.
action=$("$xdnddrag" "$window" 170 170 "file://$work/dropped.txt") || fail "the drop did not finish: $action"
[ "$action" = copy ] || fail "the drop was finished as $action, not copy"
xdotool type dropped
xdotool key Tab
xdotool type '!'
xdotool key Tab Tab Tab Tab space ctrl+e
for _ in $(seq 100); do
    [ "$(cat "$work/dropped.txt")" = 'dropped!' ] && break
    sleep 0.1
done
[ "$(cat "$work/dropped.txt")" = 'dropped!' ] || fail "the dropped file was not listed and edited"
xdotool key ctrl+x
expect_exit
echo "PASS: a drop proposing Move is finished as Copy, and the file is listed"

# --help and --version answer without a window, even with no X server.
out=$(DISPLAY= "$program" --version) || fail "--version ended with status $?"
[ "$out" = "Textorum 1.01.0002" ] || fail "--version printed: $out"
DISPLAY= "$program" --help | grep -q '^Usage: .*\[FILE|FOLDER\]\.\.\.$' || fail "--help printed no usage line"
status=0
"$program" --no-such-option >"$work/out" 2>"$work/err" || status=$?
[ "$status" = 2 ] || fail "a bad option ended with status $status"
[ ! -s "$work/out" ] && grep -q '^Usage: ' "$work/err" || fail "a bad option printed no usage on standard error"
# Qt's own single-dash options are refused by their names, not letter by letter.
status=0
"$program" -platform offscreen >"$work/out" 2>"$work/err" || status=$?
[ "$status" = 2 ] && grep -qx 'Unknown option: -platform' "$work/err" || fail "-platform was answered: $(head -n 1 "$work/err")"
echo "PASS: --help, --version and bad options"

# Paths on the command line, relative and absolute, a folder among them and a
# missing one, whose question is answered Yes. What is listed is seen through
# an edit run: every listed file holding the Find text "x" gets "y" appended
# to it (ticked as above), and the run visits the rows from the last to the
# first, so the files' modification times come in the reverse of their order.
# The file clock ticks only every few milliseconds: 8 MB files keep the
# rewrites of two files from falling into one tick.
mkdir "$work/folder"
for name in one two three; do
    { head -c 8000000 /dev/zero | tr '\0' a; printf x; } >"$work/$name.txt"
done
cd "$work"
start "$work/one.txt" two.txt "$work/missing.txt" folder three.txt
question=$(timeout 20 xdotool search --sync --onlyvisible --name '^Textorum$' | head -n 1) \
    || fail "no question for the missing path"
xdotool windowfocus --sync "$question"
xdotool key Return
xdotool windowfocus --sync "$window"
xdotool type x
xdotool key Tab
xdotool type y
xdotool key Tab Tab Tab Tab space ctrl+e
printf 'xy' >"$work/end"
for name in one two three; do
    timeout 20 sh -c 'until tail -c 2 "$1" | cmp -s - "$2"; do sleep 0.1; done' - "$name.txt" "$work/end" \
        || fail "$name.txt was not edited: it is not listed"
done
order=$(ls -tr one.txt two.txt three.txt | tr '\n' ' ')
[ "$order" = "three.txt two.txt one.txt " ] || fail "files edited in the order $order"
xdotool key ctrl+x
expect_exit
echo "PASS: paths on the command line are listed in order, the missing one after its question"
echo "5 passed, 0 failed"
