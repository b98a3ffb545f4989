#!/usr/bin/env bash
# Builds the whole project again in a folder of its own, configured with the given CMake
# options, and runs its test suite there.
# Usage: tests/nested-suite.sh SOURCE_DIR BUILD_DIR [CMAKE_OPTION...]
set -euo pipefail
source_dir=$1
build_dir=$2
shift 2
cmake -S "$source_dir" -B "$build_dir" -DNEURONET_NESTED=ON -DNEURONET_BENCH=OFF "$@" \
    > "$build_dir.configure.log" 2>&1 || { cat "$build_dir.configure.log"; exit 1; }
cmake --build "$build_dir" -j2
ctest --test-dir "$build_dir" --output-on-failure
