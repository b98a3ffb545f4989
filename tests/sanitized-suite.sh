#!/usr/bin/env bash
# Builds the whole project with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# its test suite. Usage: tests/sanitized-suite.sh SOURCE_DIR BUILD_DIR
set -euo pipefail
source_dir=$1
build_dir=$2
cmake -S "$source_dir" -B "$build_dir" -DNEURONET_SANITIZE=ON -DNEURONET_NESTED=ON -DNEURONET_BENCH=OFF \
    > "$build_dir.configure.log" 2>&1 || { cat "$build_dir.configure.log"; exit 1; }
cmake --build "$build_dir" -j2
ctest --test-dir "$build_dir" --output-on-failure
