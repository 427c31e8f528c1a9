#!/usr/bin/env bash
# Installs what is missing, checks that the code is formatted, builds everything, and runs every
# test: the plain build, the same suite under AddressSanitizer and UndefinedBehaviorSanitizer,
# and a bounded fuzzing run of the layout loader.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)

./scripts/setup.sh

echo "== Mise en forme (clang-format)"
git ls-files '*.c' '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

echo "== Construction et tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

echo "== Tests sous AddressSanitizer et UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DBOXVIEW_SANITIZE=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
cmake --build build-asan -j "$jobs"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
(cd build-asan && ctest --output-on-failure -j "$jobs")

echo "== Fuzzing du lecteur de fichiers (30 s)"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBOXVIEW_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
cmake --build build-fuzz -j "$jobs" --target fuzz_loader
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp examples/*.txt "$corpus"/
build-fuzz/fuzz_loader -max_total_time=30 -max_len=4096 -print_final_stats=1 "$corpus" 2>&1 | tail -n 12
