#!/bin/sh
# Times textorum-bench against its floor (cp + mv of the same file) and GNU
# sed on the same generated files, checks that textorum and sed wrote the same
# bytes, and measures the peak memory of every reading style on the 256 MB file and
# an edit of it in every style with less address space than the file's size.
# It also times what keeping an undo costs (the same runs without it) and the
# undo of the small-files run against that run, and checks that the undo
# put back every byte.
#
# usage: bench/compare-sed.sh [FOLDER]
#   FOLDER      where the data goes (default: a new folder under /tmp); about
#               1.2 GB are needed there
#   TEXTORUM_BENCH  the program to time (default: build/bench/textorum-bench)
#   TEXTORUM_BASELINE  an earlier build of it; if set, Enumerate Lines on the
#               256 MB file and the 20,000 files in one run are timed against it
#   XFS_FOLDER  a folder on XFS (e.g. a file system image mounted from a file)
#               with 600 MB free; if set, the 256 MB Replace and the small
#               files are timed there too, where every rewrite is flushed
#   RUNS        timed runs of each command (default: 5)
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/bench/common.sh"
bench=$(bench_program)
runs=${RUNS:-5}
command -v hyperfine >/dev/null || { echo "hyperfine is needed (apt-get install hyperfine)" >&2; exit 2; }
baseline=${TEXTORUM_BASELINE:-}
xfs=${XFS_FOLDER:-}

root=$(work_root compare "$@")
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

time_commands() {   # name prepare [command-name command]...
    name=$1 prepare=$2
    shift 2
    pairs=$(($# / 2))
    while [ "$pairs" -gt 0 ]; do
        command_name=$1 command=$2
        shift 2
        set -- "$@" --command-name "$command_name" "$command"
        pairs=$((pairs - 1))
    done
    hyperfine --runs "$runs" --warmup 1 --prepare "$prepare" --export-json "$results/$name.json" \
        "$@" >"$results/$name.log"
}

replace="$bench --find $find_text --with $with_text --mode replace --case-sensitive"
floor_in() { echo "cp $1/big.txt $1/big.tmp && mv $1/big.tmp $1/big.txt"; }

# The floor: a copy through a new file renamed over the old one, with no
# search at all, is what any safe rewrite of the 256 MB file costs here.
time_commands exact "$fresh_big" \
    textorum "$replace $work/big.txt" \
    sed "sed -i 's/$find_text/$with_text/g' $work/big.txt" \
    floor "$(floor_in "$work")"
time_commands caseless "$fresh_big" \
    textorum "$bench --find $find_text --with $with_text --mode replace $work/big.txt" \
    sed "sed -i 's/$find_text/$with_text/gI' $work/big.txt"
time_commands small "$fresh_small" \
    textorum "$find_small | xargs -0 $replace" \
    sed "$find_small | xargs -0 sed -i 's/$find_text/$with_text/g'"
# Worker threads: all 20,000 files in one run, with the workers, on the run's
# own thread alone, and against the floor of a safe edit (bench/safe_edit.c:
# open, read, an unnamed new file, write, link, rename, nothing else), sed
# and perl; against the earlier build if given.
all_small="$find_small | LC_ALL=C sort -z | xargs -0 -s 2000000"
floor_program=$(safe_edit_program "$bench")
set -- textorum "$all_small $replace" \
    one-thread "$all_small $replace --threads 1" \
    floor "$all_small $floor_program $find_text $with_text" \
    sed "$all_small sed -i 's/$find_text/$with_text/g'" \
    perl "$all_small perl -pi -e 's/$find_text/$with_text/g'"
[ -n "$baseline" ] && set -- "$@" baseline "$all_small $baseline --find $find_text --with $with_text --mode replace --case-sensitive"
time_commands workers "$fresh_small" "$@"
if [ -n "$baseline" ]; then
    time_commands enumerate "$fresh_big" \
        textorum "$replace --enumerate $work/big.txt" \
        baseline "$baseline --find $find_text --with $with_text --mode replace --case-sensitive --enumerate $work/big.txt"
fi
if [ -n "$xfs" ]; then
    # XFS shares blocks on cp, so the floor copies them, and flushes the copy
    # as textorum does there; "unflushed" shows what the flush costs.
    time_commands xfs-big "cp $data/big.txt $xfs/big.txt && sync" \
        textorum "$replace $xfs/big.txt" \
        floor "cp --reflink=never $xfs/big.txt $xfs/big.tmp && sync -d $xfs/big.tmp && mv $xfs/big.tmp $xfs/big.txt" \
        unflushed "cp --reflink=never $xfs/big.txt $xfs/big.tmp && mv $xfs/big.tmp $xfs/big.txt"
    rm -f "$xfs/big.txt"
    time_commands xfs-small "rm -rf $xfs/small && cp -r $data/small $xfs/small && sync" \
        textorum "find $xfs/small -name '*.txt' -print0 | xargs -0 $replace" \
        sed "find $xfs/small -name '*.txt' -print0 | xargs -0 sed -i 's/$find_text/$with_text/g'"
    rm -rf "$xfs/small"
fi

# What the undo costs a run: the same runs without keeping anything for it.
time_commands undo-big "$fresh_big" \
    textorum "$replace $work/big.txt" \
    without-undo "$replace --without-undo $work/big.txt"
time_commands undo-small "$fresh_small" \
    textorum "$find_small | xargs -0 $replace" \
    without-undo "$find_small | xargs -0 $replace --without-undo"
# The undo of the small-files run against the run, both timed inside one
# process (all 20,000 files in one run), and every byte put back.
: >"$results/undo-times"
for run in $(seq "$runs"); do
    sh -c "$fresh_small"
    sh -c "$find_small | xargs -0 -s 2000000 $replace --then-undo" 2>>"$results/undo-times" >/dev/null
    diff -rq "$data/small" "$work/small" >/dev/null || { echo "undo did not put every file back" >&2; exit 1; }
done

# Peak memory of each reading style on the 256 MB file (and written in place,
# through a second hard link), then the same edits with the address space
# limited to half the file's size: a file larger than the memory it may use.
: >"$results/memory"
: >"$results/larger-than-memory"
for entry in whole: single-line:--single-line enumerate:--enumerate \
             remove-indentation:--remove-indentation in-place:; do
    style=${entry%%:*} option=${entry#*:}
    rm -f "$work/big.txt" "$work/link"
    cp "$data/big.txt" "$work/big.txt"
    [ "$style" = in-place ] && ln "$work/big.txt" "$work/link"
    /usr/bin/time -f "$style %M" -a -o "$results/memory" $replace $option "$work/big.txt" >/dev/null 2>&1
    cp "$data/big.txt" "$work/big.txt"
    status=$( (ulimit -v 131072 && $replace $option "$work/big.txt") 2>/dev/null || true)
    echo "$style $status" >>"$results/larger-than-memory"
done
rm -f "$work/big.txt" "$work/link"

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
    if t != s:
        bad += 1
        print("differs:", name)
sys.exit(1 if bad else 0)
EOF
    rm -rf "$work/t" "$work/s"
}
check exact g --case-sensitive
check caseless gI

python3 - "$results" <<'EOF'
import json, os, sys
results = sys.argv[1]
def report(name, title, peer, target):
    path = os.path.join(results, name + ".json")
    if not os.path.exists(path):
        return
    runs = {r["command"]: r["median"] for r in json.load(open(path))["results"]}
    ratio = runs["textorum"] / runs[peer]
    verdict = "" if target is None else f" (target <= {target:.2f}) {'ok' if ratio <= target else 'MISSED'}"
    others = "".join(f", {k} {v:.3f} s" for k, v in runs.items() if k not in ("textorum", peer))
    print(f"{title}: textorum {runs['textorum']:.3f} s, {peer} {runs[peer]:.3f} s{others}, ratio {ratio:.3f}{verdict}")
report("exact", "256 MB, rare Find, Replace, against cp + mv", "floor", 1.15)
report("caseless", "256 MB, rare Find, Replace, case-insensitive, against sed s///gI", "sed", None)
report("small", "20,000 files of 4 KB, half with the Find text, against find | xargs sed -i", "sed", 0.55)
report("enumerate", "256 MB, Enumerate Lines, against the baseline build", "baseline", 1.0)
def ratio(name, title, command, peer, target):
    path = os.path.join(results, name + ".json")
    runs = {r["command"]: r["median"] for r in json.load(open(path))["results"]} if os.path.exists(path) else {}
    if command in runs and peer in runs:
        value = runs[command] / runs[peer]
        print(f"{title}: {command} {runs[command]:.3f} s, {peer} {runs[peer]:.3f} s, ratio {value:.3f}"
              f" (target <= {target:.2f}) {'ok' if value <= target else 'MISSED'}")
ratio("workers", "20,000 files in one run, workers against the baseline build", "textorum", "baseline", 0.65)
ratio("workers", "20,000 files in one run, workers against sed -i", "textorum", "sed", 0.35)
ratio("workers", "20,000 files in one run, one thread against the floor (safe-edit)", "one-thread", "floor", 1.1)
report("workers", "20,000 files in one run, workers against one thread", "one-thread", None)
report("xfs-big", "XFS: 256 MB Replace, flushed before the rename, against cp + sync -d + mv", "floor", None)
report("xfs-small", "XFS: 20,000 files of 4 KB, each changed one flushed, against sed -i", "sed", None)
report("undo-big", "256 MB Replace keeping an undo, against the same run without", "without-undo", 1.05)
report("undo-small", "20,000 files keeping an undo, against the same run without", "without-undo", 1.05)
times = {"run": [], "undo": []}
for line in open(os.path.join(results, "undo-times")):
    kind, _, rest = line.partition(": ")
    if kind in times:
        times[kind].append(float(rest.split()[0]))
if times["run"] and times["undo"]:
    median = lambda values: sorted(values)[len(values) // 2]
    ratio = median(times["undo"]) / median(times["run"])
    print(f"undo of the 20,000-file run: {median(times['undo']):.3f} s, the run {median(times['run']):.3f} s, "
          f"ratio {ratio:.3f} (target <= 1.00) {'ok' if ratio <= 1 else 'MISSED'}")
for line in open(os.path.join(results, "memory")):
    style, kib = line.split()
    print(f"peak memory ({style}): {int(kib) / 1024:.0f} MiB (target <= 64 MiB) {'ok' if int(kib) <= 64 * 1024 else 'MISSED'}")
for line in open(os.path.join(results, "larger-than-memory")):
    style, _, status = line.strip().partition(" ")
    print(f"256 MB in 128 MiB of address space ({style}): {status or 'FAILED'}")
EOF
echo "outputs identical to sed's; details in $results"
