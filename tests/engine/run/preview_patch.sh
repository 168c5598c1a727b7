#!/bin/sh
# The preview printed by textorum-bench --preview is a unified diff that
# `patch` applies: for every mode and reading style, the diff applied to one
# copy of a small corpus gives the bytes a real run writes over another, and
# the preview itself changes nothing (inode, size and times of every file,
# and no file added).
# Usage: preview_patch.sh TEXTORUM_BENCH
set -eu
bench=$1
command -v patch >/dev/null || { echo "patch is not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

corpus() {
    mkdir -p "$1/tree/sub"
    printf 'a cat\nno\n  cat cat\n\tCAT\nlast cat' >"$1/lf.txt"
    printf 'cat\r\n  x\r\nCat cat\r\n' >"$1/crlf.txt"
    printf 'cat\rone\r  two cat\r' >"$1/cr.txt"
    printf '\377\000 cat\n\n\ncat\376\nend\n' >"$1/bytes.txt"
    printf 'nothing here\n' >"$1/none.txt"
    printf 'cat' >"$1/tree/only.txt"
    printf '  indented cat\n' >"$1/tree/sub/deep.txt"
    : >"$1/empty.txt"
}

versions() {
    (cd "$1" && find . -type f | sort | xargs stat -c '%n %i %s %x %y %z')
}

failed=0
for mode in append prepend remove reverse replace; do
    for style in "" --single-line --enumerate --remove-indentation --case-sensitive; do
        rm -rf "$work/previewed" "$work/patched" "$work/run"
        corpus "$work/previewed"
        cp -a "$work/previewed" "$work/patched"
        cp -a "$work/previewed" "$work/run"
        before=$(versions "$work/previewed")
        set -- --find cat --with 'dog
x' --mode "$mode" $style --folders lf.txt crlf.txt cr.txt bytes.txt none.txt empty.txt tree
        (cd "$work/previewed" && "$bench" --preview "$@" >"$work/diff" 2>/dev/null)
        (cd "$work/run" && "$bench" "$@" >/dev/null 2>&1)
        (cd "$work/patched" && patch -s -p0 <"$work/diff")
        if [ "$(versions "$work/previewed")" != "$before" ]; then
            echo "FAIL: $mode $style: the preview changed a file"
            failed=1
        fi
        if ! diff -r "$work/patched" "$work/run" >/dev/null; then
            echo "FAIL: $mode $style: the patched copy differs from the run's"
            diff -r "$work/patched" "$work/run" | head -20
            failed=1
        fi
    done
done
[ "$failed" = 0 ] && echo "PASS: every mode and style"
exit "$failed"
