# What the benchmark scripts share; sourced after `repo` is set.

# The program to time: TEXTORUM_BENCH, else the build's, as an absolute path.
bench_program() {
    program=${TEXTORUM_BENCH:-$repo/build/bench/textorum-bench}
    [ -x "$program" ] || { echo "no $program: build the textorum-bench target first" >&2; exit 2; }
    echo "$(cd "$(dirname "$program")" && pwd)/$(basename "$program")"
}

# The floor of a safe edit (bench/safe_edit.c), built beside the program to time.
safe_edit_program() {
    program=$(dirname "$1")/safe-edit
    [ -x "$program" ] || { echo "no $program: build the safe-edit target first" >&2; exit 2; }
    echo "$program"
}

# The folder a benchmark keeps its data in, as an absolute path: the one
# given after the benchmark's name (made if missing), else a new one in /tmp.
work_root() {
    name=$1
    shift
    if [ $# -ge 1 ]; then
        mkdir -p "$1" && (cd "$1" && pwd)
    else
        mktemp -d "/tmp/textorum-$name.XXXXXX"
    fi
}
