#!/usr/bin/env bash
# The test command: installs what is missing, then builds and runs every test twice, once in a
# plain build (g++) and once under AddressSanitizer and UndefinedBehaviorSanitizer (clang), where
# each fuzz target also gets a short bounded run.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

echo "== Plain build"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== Sanitizer build (ASan, UBSan) with fuzz targets"
CC=clang CXX=clang++ cmake -S . -B build-san -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKESTREL_SANITIZE=ON -DKESTREL_FUZZ=ON >/dev/null
cmake --build build-san -j"$jobs"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
ctest --test-dir build-san --output-on-failure -j"$jobs"
