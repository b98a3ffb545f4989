#!/usr/bin/env bash
# What a trace costs: the platform's long run untraced and traced (every step, to a file and
# to /dev/null), the medians of RUNS runs each; the peak memory of traced runs short and long;
# and neuronet-compare on two whole traces of the long run.
# Usage: bench/trace-cost.sh [RUNS]   (default 30). Environment: BUILD_DIR (build-release).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-release}
runs=${1:-30}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DNEURONET_TESTS=OFF > /dev/null
cmake --build "$build" -j2 --target neuronet neuronet-compare > /dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
long=$root/tests/transcripts/platform-long.in
python3 - "$build/neuronet" "$long" "$work" "$runs" <<'PY'
import os, statistics, sys, time
program, long, work, runs = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
def median(extra):
    """Wall time of the whole process, from spawn to exit, as whole-process.sh takes it."""
    times = []
    actions = [(os.POSIX_SPAWN_OPEN, 0, long, os.O_RDONLY, 0),
               (os.POSIX_SPAWN_OPEN, 1, "/dev/null", os.O_WRONLY, 0)]
    for _ in range(runs):
        start = time.perf_counter()
        os.wait4(os.posix_spawn(program, [program, *extra], os.environ, file_actions=actions), 0)
        times.append(time.perf_counter() - start)
    return statistics.median(times) * 1000
plain = median([])
to_file = median(["--trace", f"{work}/long.jsonl"])
to_null = median(["--trace", "/dev/null"])
size = os.path.getsize(f"{work}/long.jsonl")
print(f"untraced:                {plain:.1f} ms")
print(f"traced to a file:        {to_file:.1f} ms ({to_file / plain:.1f} times), {size / 1e6:.1f} MB")
print(f"traced to /dev/null:     {to_null:.1f} ms ({to_null / plain:.1f} times)")
PY
peak() { /usr/bin/time -f %M "$@" 2>&1 > /dev/null | tail -n 1; }
longer="0.1 0.1 0.1 0.5 0.5 -0.3372135954999579"
echo "peak memory, traced:     $(printf '1 2 3 0.5 0.5 0.5' | peak "$build/neuronet" --trace "$work/one.jsonl") KiB (1 step), $(peak "$build/neuronet" --trace "$work/long.jsonl" < "$long") KiB (5,203 steps), $(echo "$longer" | peak "$build/neuronet" --trace "$work/longer.jsonl") KiB (20,226 steps)"
cp "$work/long.jsonl" "$work/copy.jsonl"
start=$(date +%s.%N)
"$build/neuronet-compare" "$work/long.jsonl" "$work/copy.jsonl"
echo "compared in:             $(echo "$(date +%s.%N) - $start" | bc) s, peak $(peak "$build/neuronet-compare" "$work/long.jsonl" "$work/copy.jsonl") KiB; 20,226 steps: peak $(peak "$build/neuronet-compare" "$work/longer.jsonl" "$work/longer.jsonl") KiB"
