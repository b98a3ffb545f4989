#!/usr/bin/env bash
# Times the whole program, built in Release, on a long dialogue against the floor of
# its output: the same bytes, recorded as the program flushed them, written by
# transcript_floor with one write() per flushed piece. Prints the ratio of the two and
# the peak memory of a long and a short run.
#
# Usage: bench/whole-process.sh [RUNS]    (default 60 runs of each, interleaved)
# Environment: BUILD_DIR (default build-release), OUTPUT (default /dev/null: where
# standard output goes while timing).
# Needs strace (to record the flushed pieces) and GNU time (/usr/bin/time).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-release}
runs=${1:-60}
output=${OUTPUT:-/dev/null}

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DNEURONET_TESTS=OFF > /dev/null
cmake --build "$build" -j2 --target neuronet transcript_floor > /dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '0.1 0.1 0.1\n-0.147 -0.147 -0.147\n' > "$work/long.in"
printf '0.1 0.1 0.1\n0.32 0.32 0.32\n' > "$work/short.in"

program=$build/neuronet
floor=$build/bench/transcript_floor

# Record every write() to standard output, and check that the floor replays it exactly.
strace -xx -s 1000000 -e trace=write -e signal=none -o "$work/trace" \
    "$program" < "$work/long.in" > "$work/long.out" || true
python3 "$root/bench/record_pieces.py" "$work/trace" "$work/pieces"
"$floor" "$work/pieces" | cmp -s - "$work/long.out" ||
    { echo "the floor does not replay the program's output" >&2; exit 1; }
steps=$(sed -n 's/^\tNumer of steps: //p' "$work/long.out")

python3 - "$program" "$floor" "$work" "$runs" "$output" "$steps" <<'PY'
import os, statistics, sys, time

program, floor, work, runs, output, steps = sys.argv[1:]
runs, steps = int(runs), int(steps)

def run(argv, stdin):
    """Wall time of one whole process, from spawn to exit, and its CPU time."""
    actions = [(os.POSIX_SPAWN_OPEN, 0, stdin, os.O_RDONLY, 0),
               (os.POSIX_SPAWN_OPEN, 1, output, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)]
    start = time.perf_counter()
    pid = os.posix_spawn(argv[0], argv, os.environ, file_actions=actions)
    _, status, usage = os.wait4(pid, 0)
    wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) not in (0,):
        sys.exit(f"{argv[0]} ended with status {os.waitstatus_to_exitcode(status)}")
    return wall, usage.ru_utime + usage.ru_stime

timings = {"program": [], "floor": []}
for _ in range(3):  # warm the page cache
    run([program], f"{work}/long.in"); run([floor, f"{work}/pieces"], "/dev/null")
for _ in range(runs):
    timings["program"].append(run([program], f"{work}/long.in"))
    timings["floor"].append(run([floor, f"{work}/pieces"], "/dev/null"))

def median(name, which):
    return statistics.median(t[which] for t in timings[name])

p_wall, f_wall = median("program", 0), median("floor", 0)
p_cpu, f_cpu = median("program", 1), median("floor", 1)
print(f"steps:                {steps}")
print(f"program, whole run:   {p_wall * 1e3:.2f} ms wall, {p_cpu * 1e3:.2f} ms CPU (median of {runs})")
print(f"floor, whole run:     {f_wall * 1e3:.2f} ms wall, {f_cpu * 1e3:.2f} ms CPU")
print(f"ratio to the floor:   {p_wall / f_wall:.2f} (wall), {p_cpu / f_cpu:.2f} (CPU)")
print(f"steps per second:     {steps / p_wall:,.0f} (whole process)")
print(f"time per step:        {p_wall / steps * 1e6:.2f} us (whole process / steps)")
PY

# Peak resident memory: the median of five runs, since the layout of each process
# moves it by a page or two from run to run.
peak() {
    for _ in 1 2 3 4 5; do
        /usr/bin/time -f %M "$program" < "$1" 2>&1 > /dev/null | tail -n 1
    done | sort -n | sed -n 3p
}
short_steps=$("$program" < "$work/short.in" | sed -n 's/^\tNumer of steps: //p')
echo "peak memory:          $(peak "$work/long.in") KiB for $steps steps, $(peak "$work/short.in") KiB for $short_steps steps (median RSS of 5)"
if command -v valgrind > /dev/null; then
    heap() { valgrind "$program" < "$1" 2>&1 > /dev/null | sed -n 's/.*total heap usage: //p'; }
    echo "heap, $steps steps:    $(heap "$work/long.in")"
    echo "heap, $short_steps steps:     $(heap "$work/short.in")"
fi
