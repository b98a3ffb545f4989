#!/bin/sh
# Installs from the distribution's packages what neuronet needs:
#   sh tools/install-packages.sh program   a C++20 compiler, CMake, {fmt} and JSON for Modern
#                                          C++ (both used header-only), to build the programs
#   sh tools/install-packages.sh tests     that, and everything the test suite uses
# A package already installed is left alone, so on a machine that has everything this
# changes nothing and takes a moment. Runs as root, or as a user through sudo.
set -eu

program="g++ make cmake libfmt-dev nlohmann-json3-dev"
# GoogleTest (built library and its sources, for the build with LLVM's libc++), Google
# Benchmark, Python, valgrind, clang with its sanitizer and fuzzer runtimes and
# libc++, clang-format, GNU time and prlimit, what makes and checks the Debian package
# (dpkg-shlibdeps, file, lintian), and what builds and drives the web page (Emscripten,
# Node.js, Chromium and a font for its pictures).
tests="$program libgtest-dev googletest libbenchmark-dev python3 valgrind
       clang libclang-rt-dev libc++-dev libc++abi-dev clang-format time util-linux
       dpkg-dev file lintian emscripten nodejs chromium fonts-dejavu-core"

case "${1:-}" in
    program) wanted=$program ;;
    tests) wanted=$tests ;;
    *)
        echo "usage: sh tools/install-packages.sh program|tests" >&2
        exit 64
        ;;
esac

if ! command -v dpkg-query > /dev/null || ! command -v apt-get > /dev/null; then
    echo "install-packages: no apt-get here; install these by their local names: $wanted" >&2
    exit 0
fi

missing=""
for package in $wanted; do
    if ! dpkg-query -W -f '${Status}\n' "$package" 2> /dev/null | grep -q ' installed$'; then
        missing="$missing $package"
    fi
done
# Node.js from another source than Debian brings its own npm, which Debian's would clash with.
if [ "$1" = tests ] && ! command -v npm > /dev/null; then
    missing="$missing npm"
fi

if [ -n "$missing" ]; then
    if [ "$(id -u)" -eq 0 ]; then
        as_root=""
    elif command -v sudo > /dev/null; then
        as_root="sudo"
    else
        echo "install-packages: missing:$missing; run this as root or install sudo" >&2
        exit 1
    fi
    echo "install-packages: installing$missing" >&2
    $as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
    # shellcheck disable=SC2086 # one word per package
    $as_root env DEBIAN_FRONTEND=noninteractive apt-get install -q -y --no-install-recommends $missing
fi

# The browser tests' driver, pinned by its lock file, from the npm registry.
web_tests="$(dirname "$0")/../tests/web"
if [ "$1" = tests ] && [ -f "$web_tests/package-lock.json" ] &&
    [ ! "$web_tests/node_modules/.package-lock.json" -nt "$web_tests/package-lock.json" ]; then
    npm ci --prefix "$web_tests" --no-audit --no-fund
fi
