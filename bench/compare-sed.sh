#!/bin/sh
# Times textorum-bench against GNU sed on the same generated files and checks
# that both wrote the same bytes (textorum adds one CR LF to every file it
# changes, sed adds nothing).
#
# usage: bench/compare-sed.sh [FOLDER]
#   FOLDER      where the data goes (default: a new folder under /tmp); about
#               1.2 GB are needed there
#   TEXTORUM_BENCH  the program to time (default: build/bench/textorum-bench)
#   RUNS        timed runs of each command (default: 5)
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
bench=${TEXTORUM_BENCH:-$repo/build/bench/textorum-bench}
runs=${RUNS:-5}
[ -x "$bench" ] || { echo "no $bench: build the textorum-bench target first" >&2; exit 2; }
command -v hyperfine >/dev/null || { echo "hyperfine is needed (apt-get install hyperfine)" >&2; exit 2; }
bench=$(cd "$(dirname "$bench")" && pwd)/$(basename "$bench")

if [ $# -ge 1 ]; then
    root=$1
    mkdir -p "$root"
else
    root=$(mktemp -d /tmp/textorum-compare.XXXXXX)
fi
root=$(cd "$root" && pwd)
data=$root/data
work=$root/work
results=$root/results
mkdir -p "$data" "$work" "$results"

find_text=quixotrix
with_text=replaced

# The data: one 256 MB file of text lines with the Find text 16 times (half of
# them in capitals), and 20,000 files of 4 KB, every other one holding it once.
# Made once per folder; the timed runs work on copies.
[ -e "$data/complete" ] || python3 - "$data" "$find_text" <<'EOF'
import os, random, sys
data, find = sys.argv[1], sys.argv[2].encode()
rng = random.Random(7)
words = [bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ")
               for _ in range(rng.randint(2, 10))) for _ in range(5000)]
def text(size):
    out, line = bytearray(), bytearray()
    while len(out) < size:
        line += rng.choice(words) + b" "
        if len(line) > 70:
            out += line.rstrip() + b"\n"
            line = bytearray()
    return out[:size - 1] + b"\n"
block = text(1 << 20)
with open(os.path.join(data, "big.txt"), "wb") as big:
    for i in range(256):
        if i % 16 == 8:
            middle = len(block) // 2
            rare = find if i % 32 == 8 else find.upper()
            big.write(block[:middle] + rare + block[middle + len(rare):])
        else:
            big.write(block)
small = os.path.join(data, "small")
os.makedirs(small, exist_ok=True)
for n in range(20000):
    content = text(4096)
    if n % 2 == 0:
        at = rng.randrange(0, 4096 - len(find))
        content[at:at + len(find)] = find
    with open(os.path.join(small, "f%05d.txt" % n), "wb") as f:
        f.write(content)
open(os.path.join(data, "complete"), "w").close()
EOF

fresh_big="cp $data/big.txt $work/big.txt && sync"
fresh_small="rm -rf $work/small && cp -r $data/small $work/small && sync"
find_small="find $work/small -name '*.txt' -print0"

time_pair() {   # name prepare textorum-command sed-command [floor-command]
    name=$1 prepare=$2
    shift 2
    if [ $# -ge 3 ]; then
        set -- --command-name textorum "$1" --command-name sed "$2" --command-name floor "$3"
    else
        set -- --command-name textorum "$1" --command-name sed "$2"
    fi
    hyperfine --runs "$runs" --warmup 1 --prepare "$prepare" --export-json "$results/$name.json" \
        "$@" >"$results/$name.log"
}

# The floor: a copy through a new file renamed over the old one, with no
# search at all, is what any safe rewrite of the 256 MB file costs here.
time_pair exact "$fresh_big" \
    "$bench --find $find_text --with $with_text --mode replace --case-sensitive $work/big.txt" \
    "sed -i 's/$find_text/$with_text/g' $work/big.txt" \
    "cp $work/big.txt $work/big.tmp && mv $work/big.tmp $work/big.txt"
time_pair caseless "$fresh_big" \
    "$bench --find $find_text --with $with_text --mode replace $work/big.txt" \
    "sed -i 's/$find_text/$with_text/gI' $work/big.txt"
time_pair small "$fresh_small" \
    "$find_small | xargs -0 $bench --find $find_text --with $with_text --mode replace --case-sensitive" \
    "$find_small | xargs -0 sed -i 's/$find_text/$with_text/g'"

# Output check and peak memory: one run of each on its own copy.
check() {   # name sed-flags textorum-options...
    name=$1 flags=$2
    shift 2
    rm -rf "$work/t" "$work/s"
    mkdir -p "$work/t" "$work/s"
    cp -r "$data/big.txt" "$data/small" "$work/t/"
    cp -r "$data/big.txt" "$data/small" "$work/s/"
    "$bench" --find "$find_text" --with "$with_text" --mode replace "$@" "$work/t/big.txt" \
        >/dev/null 2>"$results/$name.memory"
    (cd "$work/t/small" && find . -name '*.txt' -print0 | xargs -0 "$bench" --find "$find_text" \
        --with "$with_text" --mode replace "$@" >/dev/null 2>/dev/null)
    sed -i "s/$find_text/$with_text/$flags" "$work/s/big.txt"
    (cd "$work/s/small" && find . -name '*.txt' -print0 | xargs -0 sed -i "s/$find_text/$with_text/$flags")
    python3 - "$data" "$work/t" "$work/s" <<'EOF'
import os, sys
data, ours, theirs = sys.argv[1:]
bad = 0
for name in ["big.txt"] + [os.path.join("small", f) for f in sorted(os.listdir(os.path.join(data, "small")))]:
    original = open(os.path.join(data, name), "rb").read()
    t = open(os.path.join(ours, name), "rb").read()
    s = open(os.path.join(theirs, name), "rb").read()
    expected = s + b"\r\n" if s != original else original
    if t != expected:
        bad += 1
        print("differs:", name)
sys.exit(1 if bad else 0)
EOF
    rm -rf "$work/t" "$work/s"
}
check exact g --case-sensitive
check caseless gI

python3 - "$results" "$data/big.txt" <<'EOF'
import json, os, sys
results, big = sys.argv[1], sys.argv[2]
targets = {"exact": 1 / 5, "caseless": 1 / 3, "small": 1 / 2}
titles = {"exact": "256 MB, rare Find, Replace (sed s///g)",
          "caseless": "256 MB, rare Find, Replace, case-insensitive (sed s///gI)",
          "small": "20,000 files of 4 KB, half with the Find text (find | xargs sed -i)"}
for name, target in targets.items():
    runs = {r["command"]: r["median"] for r in json.load(open(os.path.join(results, name + ".json")))["results"]}
    ratio = runs["textorum"] / runs["sed"]
    print(f"{titles[name]}: textorum {runs['textorum']:.3f} s, sed {runs['sed']:.3f} s, "
          f"ratio {ratio:.3f} (target <= {target:.3f}) {'ok' if ratio <= target else 'MISSED'}")
    if "floor" in runs:
        print(f"  floor, cp to a new file and mv over the old one: {runs['floor']:.3f} s, "
              f"ratio to sed {runs['floor'] / runs['sed']:.3f}")
largest = os.path.getsize(big) / 1024
for name in ("exact", "caseless"):
    line = open(os.path.join(results, name + ".memory")).read()
    kib = int(line.split("peak memory:")[1].split()[0])
    limit = 2 * largest + 40 * 1024
    print(f"peak memory ({name}): {kib / 1024:.0f} MiB (target <= {limit / 1024:.0f} MiB) "
          f"{'ok' if kib <= limit else 'MISSED'}")
EOF
echo "outputs identical apart from textorum's closing CR LF; details in $results"
