#!/usr/bin/env bash
# Builds the dialogue fuzzer with clang++ and fuzzes for a bounded time.
# Usage: fuzz/run.sh SOURCE_DIR BUILD_DIR SECONDS
# Fails on any crash, sanitizer report, leak or time-out.
set -euo pipefail
source_dir=$1
build_dir=$2
seconds=$3
cmake -S "$source_dir" -B "$build_dir" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DNEURONET_FUZZ=ON -DNEURONET_SANITIZE=ON -DNEURONET_TESTS=OFF -DNEURONET_BENCH=OFF > "$build_dir.configure.log" 2>&1 ||
    { cat "$build_dir.configure.log"; exit 1; }
cmake --build "$build_dir" --target dialogue_fuzzer -j2
# New inputs go to a scratch corpus; the committed one is only read.
scratch="$build_dir/corpus"
mkdir -p "$scratch" "$build_dir/artifacts"
"$build_dir/fuzz/dialogue_fuzzer" "$scratch" "$source_dir/fuzz/corpus" \
    -dict="$source_dir/fuzz/dialogue.dict" -max_total_time="$seconds" -timeout=20 \
    -rss_limit_mb=2048 -max_len=512 \
    -artifact_prefix="$build_dir/artifacts/" -print_final_stats=1
