#!/bin/sh
# Times an edit run over a listed folder of 20,000 small files of a real
# source tree (copies of /usr/include) against the same run over the same
# files listed one by one, and against `find -type f -exec sed -i ... +`;
# checks that the folder run and the listed run wrote the same bytes; and
# measures the peak memory of a walk through 100,000 files in 1,000 folders
# against that of a run over one listed file.
#
# usage: bench/compare-folders.sh [FOLDER]
#   FOLDER      where the data goes (default: a new folder under /tmp); about
#               1 GB are needed there
#   TEXTORUM_BENCH  the program to time (default: build/bench/textorum-bench)
#   TEXTORUM_BASELINE  an earlier build of it; if set, the listed run is
#               timed against it too
#   RUNS        timed runs of each command (default: 5)
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/bench/common.sh"
bench=$(bench_program)
runs=${RUNS:-5}

root=$(work_root folders "$@")
data=$root/data
work=$root/work
results=$root/results
mkdir -p "$data" "$work" "$results"

# The first 20,000 regular files of /usr/include and of copies of it, each
# copy a folder of its own; and 100,000 files of 64 bytes in 1,000 folders.
[ -e "$data/complete" ] || python3 - "$data" <<'EOF'
import os, shutil, sys
data = sys.argv[1]
sources = []
for folder, dirs, files in os.walk("/usr/include"):
    dirs.sort()
    for name in sorted(files):
        path = os.path.join(folder, name)
        if os.path.isfile(path) and not os.path.islink(path):
            sources.append(os.path.relpath(path, "/usr/include"))
count, copy = 0, 0
while count < 20000:
    for relative in sources:
        if count == 20000:
            break
        target = os.path.join(data, "tree", "copy%d" % copy, relative)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.copyfile(os.path.join("/usr/include", relative), target)
        count += 1
    copy += 1
for folder in range(1000):
    path = os.path.join(data, "wide", "f%04d" % folder)
    os.makedirs(path)
    for n in range(100):
        with open(os.path.join(path, "file%03d.txt" % n), "wb") as f:
            f.write(b"a line of text that holds nothing the run looks for, 64 bytes.\n")
open(os.path.join(data, "complete"), "w").close()
EOF

find_text=struct
with_text=strukt
replace="$bench --find $find_text --with $with_text --mode replace --case-sensitive"
fresh_tree="rm -rf $work/tree && cp -r $data/tree $work/tree && sync"
# The files in the order of their paths, as the walk visits them.
listed="find $work/tree -type f -print0 | LC_ALL=C sort -z | xargs -0 -s 2000000"

# Interleaved rounds, each command on a fresh copy after sync; wall and
# processor times per run go to times.txt.
# The files of a folder row, or the files listed one by one, are prepared
# ahead by the workers ("folder", "listed") or not ("folder-one-thread",
# "one-thread").
set -- folder "$replace --folders $work/tree" \
    folder-one-thread "$replace --folders --threads 1 $work/tree" \
    listed "$listed $replace" \
    one-thread "$listed $replace --threads 1" \
    sed "find $work/tree -type f -exec sed -i 's/$find_text/$with_text/g' {} +"
[ -n "${TEXTORUM_BASELINE:-}" ] && set -- "$@" baseline \
    "$listed $TEXTORUM_BASELINE --find $find_text --with $with_text --mode replace --case-sensitive"
"$repo/bench/interleaved.py" "$runs" "$fresh_tree" "$results/times.txt" "$@"

# The same bytes either way.
rm -rf "$work/tree" "$work/listed" && cp -r "$data/tree" "$work/tree" && cp -r "$data/tree" "$work/listed"
$replace --folders "$work/tree" >"$results/folder-status.txt" 2>/dev/null
find "$work/listed" -type f -print0 | LC_ALL=C sort -z | xargs -0 -s 2000000 $replace >"$results/listed-status.txt" 2>/dev/null
diff -r "$work/tree" "$work/listed" >/dev/null || { echo "the folder run and the listed run differ" >&2; exit 1; }

peak() {   # the peak memory, in KiB, that textorum-bench reports for its arguments
    "$bench" --find "$find_text" "$@" 2>&1 >/dev/null | sed -n 's/^peak memory: \([0-9]*\) KiB$/\1/p'
}
walk_peak=$(peak --folders "$data/wide")
one_file_peak=$(peak "$data/wide/f0000/file000.txt")

python3 - "$results/times.txt" "$walk_peak" "$one_file_peak" "$results" <<'EOF'
import statistics, sys
times = {}
for line in open(sys.argv[1]):
    name, wall, cpu = line.split()
    times.setdefault(name, []).append((float(wall), float(cpu)))
wall = {name: statistics.median(t[0] for t in runs) for name, runs in times.items()}
cpu = {name: statistics.median(t[1] for t in runs) for name, runs in times.items()}
for kind, median in (("wall", wall), ("processor", cpu)):
    print("%s, medians: folder of 20,000 files %.3f s, listed one by one %.3f s (%.2f),"
          " find -exec sed -i + %.3f s (%.2f)"
          % (kind, median["folder"], median["listed"], median["folder"] / median["listed"],
             median["sed"], median["folder"] / median["sed"]))
print("wall, medians: folder with workers %.3f s, on one thread %.3f s (%.2f)"
      % (wall["folder"], wall["folder-one-thread"], wall["folder"] / wall["folder-one-thread"]))
for peer in ("one-thread", "baseline"):
    if peer in wall:
        print("wall, medians: listed with workers %.3f s, %s %.3f s (%.2f)"
              % (wall["listed"], peer, wall[peer], wall["listed"] / wall[peer]))
print("walk of 100,000 files in 1,000 folders: peak %d KiB; a run over one listed file %d KiB"
      % (int(sys.argv[2]), int(sys.argv[3])))
print(open(sys.argv[4] + "/folder-status.txt").read().strip())
EOF
