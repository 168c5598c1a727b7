#!/bin/sh
# What keeping an undo costs in memory: a Replace over 3,000 files of 40 KB
# and its undo (textorum-bench --then-undo), with the peak resident size of
# the process and the most shared memory it held (sampled every 50 ms while
# it runs: mapped shared memory and the memfds it holds open, whose pages
# the resident size does not show). Then checks that the undo put every
# byte back.
#
# usage: bench/undo-memory.sh [FOLDER]
#   FOLDER  where the files go (default: a new folder under /tmp)
#   TEXTORUM_BENCH  the program (default: build/bench/textorum-bench)
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
bench=${TEXTORUM_BENCH:-$repo/build/bench/textorum-bench}
root=${1:-$(mktemp -d /tmp/textorum-undo-memory.XXXXXX)}
mkdir -p "$root/data"
python3 - "$root/data" <<'PY'
import os, sys
for n in range(3000):
    line = b"file %04d: the quick brown fox jumps over the lazy dog\n" % n
    with open(os.path.join(sys.argv[1], "f%04d.txt" % n), "wb") as f:
        f.write((line * (40 * 1024 // len(line) + 1))[:40 * 1024])
PY
rm -rf "$root/work"
cp -r "$root/data" "$root/work"
sync

# The shared memory the process holds: what it maps (RssShmem) and the
# sizes of the memfds it has open, which are in memory without being mapped.
shared_kib() {
    mapped=$(awk '/^RssShmem:/ { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0)
    held=0
    for fd in /proc/"$1"/fd/*; do
        case $(readlink "$fd" 2>/dev/null) in
            /memfd:*) held=$((held + $(stat -L -c %s "$fd" 2>/dev/null || echo 0) / 1024)) ;;
        esac
    done
    echo $((${mapped:-0} + held))
}
"$bench" --find fox --with cat --mode replace --case-sensitive --then-undo "$root"/work/*.txt \
    >"$root/status" 2>"$root/stderr" &
pid=$!
: >"$root/shared"
while kill -0 "$pid" 2>/dev/null; do
    shared_kib "$pid" >>"$root/shared"
    sleep 0.05
done
wait "$pid"
shared=$(sort -n "$root/shared" | tail -1)
cat "$root/status"
grep -E '^(run|undo|peak memory):' "$root/stderr"
rss=$(awk '/^peak memory:/ { print $3 }' "$root/stderr")
echo "peak shared memory: $((${shared:-0} / 1024)) MiB"
echo "peak resident + shared: $(( (rss + ${shared:-0}) / 1024 )) MiB (target < 64 MiB)"
diff -rq "$root/data" "$root/work" >/dev/null && echo "every byte put back" || { echo "undo did not put every file back"; exit 1; }
