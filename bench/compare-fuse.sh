#!/bin/sh
# Times a Replace over 2,000 files of 4 KB (half of them holding the Find
# text) on a file system that answers every operation 1 ms late (a
# passthrough FUSE mount over a local folder, see FUSE_SERVER): an earlier
# build run on one thread against this one with its default workers (8 on
# such a file system), with 2, and with 1; and the floor of a safe edit
# (bench/safe_edit.c, a named new file there) in 8 processes side by side.
# Each run gets a fresh copy, written to the backing folder behind the mount
# and synced; rounds are interleaved. Checks that every run left the same
# bytes as sed, and no other file, in its folder.
#
# usage: bench/compare-fuse.sh [FOLDER]
#   FOLDER      where the data goes (default: a new folder under /tmp)
#   FUSE_SERVER  c (default): bench/fuse-latency.c on libfuse 3, built here;
#               python: bench/fuse-latency.py on libfuse 2 through fusepy
#   TEXTORUM_BENCH  the program to time (default: build/bench/textorum-bench)
#   TEXTORUM_BASELINE  the earlier build, without workers (required)
#   RUNS        timed rounds (default: 5)
#   FILES       how many files (default: 2000)
# Needs root or fusermount rights, /dev/fuse, and a C compiler with
# libfuse3-dev (or python3-fusepy for the Python server).
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
. "$repo/bench/common.sh"
bench=$(bench_program)
floor_program=$(safe_edit_program "$bench")
baseline=${TEXTORUM_BASELINE:-}
runs=${RUNS:-5}
files=${FILES:-2000}
[ -x "$baseline" ] || { echo "set TEXTORUM_BASELINE to a build without the workers" >&2; exit 2; }

root=$(work_root fuse "$@")
data=$root/data backing=$root/backing mount=$root/mount results=$root/results
rm -rf "$backing" "$data"
mkdir -p "$data" "$backing" "$mount" "$results"

case ${FUSE_SERVER:-c} in
c)
    server_program=$root/fuse-latency
    # shellcheck disable=SC2046 # pkg-config's flags are words
    cc -O2 -o "$server_program" "$repo/bench/fuse-latency.c" $(pkg-config --cflags --libs fuse3)
    ;;
python) server_program=$repo/bench/fuse-latency.py ;;
*) echo "FUSE_SERVER is c or python" >&2; exit 2 ;;
esac
"$server_program" "$backing" "$mount" 1 2>"$results/fuse.log" &
server=$!
trap 'umount "$mount" 2>/dev/null; wait $server' EXIT
trap 'exit 1' INT TERM HUP
while ! mountpoint -q "$mount"; do
    kill -0 $server 2>/dev/null || { cat "$results/fuse.log" >&2; exit 1; }
    sleep 0.1
done

find_text=quixotrix
with_text=replaced
python3 - "$data" "$find_text" "$files" <<'EOF'
import os, random, sys
data, find, count = sys.argv[1], sys.argv[2].encode(), int(sys.argv[3])
rng = random.Random(7)
letters = b"abcdefghijklmnopqrstuvwxyz \n"
for n in range(count):
    content = bytearray(rng.choice(letters) for _ in range(4096))
    if n % 2 == 0:
        at = rng.randrange(0, 4096 - len(find))
        content[at:at + len(find)] = find
    with open(os.path.join(data, "f%05d.txt" % n), "wb") as f:
        f.write(content)
EOF
# What every run must leave: sed's output, from the same files.
cp -r "$data" "$root/expected"
sed -i "s/$find_text/$with_text/g" "$root/expected"/*
# Hidden names too: a new file or a file system's own left behind would show.
checksums() { (cd "$1" && find . -type f -print0 | sort -z | xargs -0 md5sum); }
checksums "$root/expected" >"$results/expected.md5"
rm -rf "$root/expected"

# Each run edits its own folder, NAME-ROUND, copied straight into the backing
# folder; the files are named relative to it, in order, in one run.
replace="--find $find_text --with $with_text --mode replace --case-sensitive"
listed="cd $mount/\$NAME-\$ROUND && ls $data"
in_folder="$listed | xargs -s 2000000"
"$repo/bench/interleaved.py" "$runs" "cp -r $data $backing/\$NAME-\$ROUND && sync" "$results/times.txt" \
    before-workers "$in_folder $baseline $replace" \
    workers "$in_folder $bench $replace" \
    threads-2 "$in_folder $bench $replace --threads 2" \
    threads-1 "$in_folder $bench $replace --threads 1" \
    floor-8 "$listed | xargs -P 8 -n $(((files + 7) / 8)) $floor_program $find_text $with_text"

for folder in "$backing"/*; do
    checksums "$folder" | cmp -s - "$results/expected.md5" ||
        { echo "$folder: other bytes or other files than sed's" >&2; exit 1; }
done

python3 - "$results/times.txt" <<'EOF'
import statistics, sys
times = {}
for line in open(sys.argv[1]):
    name, wall, cpu = line.split()
    times.setdefault(name, []).append(float(wall))
peer = statistics.median(times["before-workers"])
for name, walls in times.items():
    median = statistics.median(walls)
    print("%-15s median %7.3f s  ratio %.3f  (runs: %s)"
          % (name, median, median / peer, " ".join("%.2f" % w for w in walls)))
print("workers against the floor in 8 processes: %.3f"
      % (statistics.median(times["workers"]) / statistics.median(times["floor-8"])))
ratio = statistics.median(times["workers"]) / peer
print("workers against the build before them: %.3f (target <= 0.25) %s" % (ratio, "ok" if ratio <= 0.25 else "MISSED"))
EOF
echo "every run left sed's bytes and no other file; details in $results"
