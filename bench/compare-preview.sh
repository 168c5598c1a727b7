#!/bin/sh
# Times a preview against the run that makes the changes it shows, and
# against itself on one thread (--threads 1), on 20,000
# files of 4 KB (every other one holding the Find text once), each on a fresh
# copy after sync, interleaved; reports the medians, their ratio and when the
# first file's diff was ready. Then the peak memory and time of a preview of a
# 256 MB file with 100,000 changed lines, its diff printed to /dev/null, and
# checks that the preview changed no file.
#
# usage: bench/compare-preview.sh [FOLDER]
#   FOLDER  where the data goes (default: a new folder under /tmp); about 700 MB
#   TEXTORUM_BENCH  the program (default: build/bench/textorum-bench)
#   RUNS    timed runs of each (default: 5)
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/bench/common.sh"
bench=$(bench_program)
runs=${RUNS:-5}
root=$(work_root preview "$@")
data=$root/data
work=$root/work
mkdir -p "$data" "$work"
find_text=quixotrix

[ -e "$data/complete" ] || python3 - "$data" "$find_text" <<'PY'
import os, random, sys
data, find = sys.argv[1], sys.argv[2].encode()
rng = random.Random(18)
words = [bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 10))) for _ in range(5000)]
def line():
    out = bytearray()
    while len(out) < 70:
        out += rng.choice(words) + b" "
    return out.rstrip() + b"\n"
def text(size):
    out = bytearray()
    while len(out) < size:
        out += line()
    return out[:size - 1] + b"\n"
small = os.path.join(data, "small")
os.makedirs(small, exist_ok=True)
for n in range(20000):
    content = text(4096)
    if n % 2 == 0:
        at = rng.randrange(0, 4000)
        content[at:at + len(find)] = find
    with open(os.path.join(small, "f%05d.txt" % n), "wb") as f:
        f.write(content)
# 256 MB of lines, the Find text in every 34th: 100,000 changed lines or so.
lines = [line() for _ in range(4000)]
with open(os.path.join(data, "big.txt"), "wb") as big:
    written, n = 0, 0
    while written < 256 << 20:
        current = lines[n % len(lines)]
        if n % 34 == 17:
            current = current[:10] + find + current[10 + len(find):]
        big.write(current)
        written += len(current)
        n += 1
PY
touch "$data/complete"

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
field() { sed -n "s/^$1: \([0-9.]*\).*/\1/p" "$2"; }

: >"$work/preview.times"; : >"$work/one-thread.times"; : >"$work/run.times"; : >"$work/first.times"
for i in $(seq "$runs"); do
    rm -rf "$work/small"; cp -a "$data/small" "$work/small"; sync
    (cd "$work" && "$bench" --preview --find "$find_text" --with replaced --mode replace small/* >/dev/null 2>"$work/err")
    field preview "$work/err" >>"$work/preview.times"
    field "first diff" "$work/err" >>"$work/first.times"
    rm -rf "$work/small"; cp -a "$data/small" "$work/small"; sync
    (cd "$work" && "$bench" --preview --threads 1 --find "$find_text" --with replaced --mode replace small/* >/dev/null 2>"$work/err")
    field preview "$work/err" >>"$work/one-thread.times"
    rm -rf "$work/small"; cp -a "$data/small" "$work/small"; sync
    (cd "$work" && "$bench" --find "$find_text" --with replaced --mode replace small/* >/dev/null 2>"$work/err")
    field run "$work/err" >>"$work/run.times"
done
preview=$(median <"$work/preview.times")
run=$(median <"$work/run.times")
echo "20,000 files of 4 KB: preview $preview s, the run $run s, ratio $(echo "$preview $run" | awk '{ printf "%.2f", $1 / $2 }')"
oneThread=$(median <"$work/one-thread.times")
echo "the preview with workers $preview s, on one thread $oneThread s, ratio $(echo "$preview $oneThread" | awk '{ printf "%.2f", $1 / $2 }')"
echo "first file's diff ready after $(median <"$work/first.times") s"

before=$(stat -c '%i %s %Y %Z' "$data/big.txt")
echo "changed lines in big.txt: $(grep -c "$find_text" "$data/big.txt")"
sync
(cd "$data" && "$bench" --preview --find "$find_text" --with replaced --mode replace big.txt >/dev/null 2>"$work/err")
grep -E "^(preview|diffs|peak memory):" "$work/err"
[ "$(stat -c '%i %s %Y %Z' "$data/big.txt")" = "$before" ] || { echo "FAIL: the preview changed big.txt"; exit 1; }
echo "big.txt unchanged by the preview"
