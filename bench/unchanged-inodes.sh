#!/bin/sh
# A run in which no file's bytes change writes nothing: Replace "x" with "x"
# over 20,000 files of 4 KB, each holding "x", must leave every file's inode,
# modification and change time as they were, and count every file unchanged.
# Prints the run's summary, its time, and how many files kept their inode.
#
# usage: bench/unchanged-inodes.sh [FOLDER]
#   FOLDER      where the files go (default: a new folder under /tmp, removed after)
#   TEXTORUM_BENCH  the program to run (default: build/bench/textorum-bench)
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/bench/common.sh"
bench=$(bench_program)
if [ $# -ge 1 ]; then
    root=$1
    mkdir -p "$root"
else
    root=$(mktemp -d /tmp/textorum-unchanged.XXXXXX)
    trap 'rm -rf "$root"' EXIT
fi
files=$root/files
rm -rf "$files"
mkdir -p "$files"

python3 - "$files" <<'PYTHON'
import os, random, sys
rng = random.Random(11)
words = [bytes(rng.choice(b"abcdefghijklmnopqrstuvwyz") for _ in range(rng.randint(2, 9))) for _ in range(5000)]
for n in range(20000):
    content = bytearray(b" ".join(rng.choices(words, k=800))[:4095] + b"\n")
    content[rng.randrange(0, 4000)] = ord("x")   # the only "x" of the file
    with open(os.path.join(sys.argv[1], "f%05d.txt" % n), "wb") as f:
        f.write(content)
PYTHON

find "$files" -name '*.txt' -exec stat -c '%n %i %Y.%y %Z.%z %s' {} + | sort >"$root/before"
sync
summary=$(find "$files" -name '*.txt' -print0 | xargs -0 -s 2000000 "$bench" --find x --with x --mode replace \
          --case-sensitive 2>"$root/times")
find "$files" -name '*.txt' -exec stat -c '%n %i %Y.%y %Z.%z %s' {} + | sort >"$root/after"

echo "$summary"
grep '^run:' "$root/times"
moved=$(diff "$root/before" "$root/after" | grep -c '^>' || true)
echo "files whose inode, times or size changed: $moved of 20000"
extra=$(find "$files" -type f ! -name 'f*.txt' | wc -l)
echo "other files left in the folder: $extra"
[ "$summary" = "Done Processing files: 20000 | files changed: 0 | files unchanged: 20000" ] \
    && [ "$moved" = 0 ] && [ "$extra" = 0 ] && echo ok || { echo MISSED; exit 1; }
