#!/bin/sh
# The Windows build: every Qt-free library, kt4470ctl and the Qt-free tests
# cross-built with Debian's mingw-w64, then the tests run under Wine (64-bit,
# headless, in a Wine prefix inside the build directory). Installs what is
# missing first.
# Usage: scripts/windows.sh [BUILD-DIR]     (default: build-win; JOBS=n)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-win}
jobs=${JOBS:-2}

scripts/setup.sh g++-mingw-w64-x86-64-posix wine64 googletest

cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake"
cmake --build "$build" -j "$jobs"
cd "$build"
ctest --output-on-failure -j "$jobs"
