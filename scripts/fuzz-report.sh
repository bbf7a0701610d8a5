#!/bin/bash
# Fuzzes the report format loader with libFuzzer (clang): builds the target in
# its own folder, then runs it on a copy of the corpus for the given number of
# seconds (default 60). New inputs that reach new code stay in the copy; crash
# inputs are written to the build folder. Copy any worth keeping into
# tests/report/data/fuzz-corpus, where a g++ test replays them.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_TO_RUN=${1:-60}
BUILD=${QD_FUZZ_BUILD:-build-fuzz-report}
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DQD_PARTS="framework;rtf;report" -DQD_SANITIZE=ON -DQD_REPORT_FUZZ=ON -DQD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null
cmake --build "$BUILD" --target fuzz_report_format
mkdir -p "$BUILD/corpus" "$BUILD/crashes"
cp -n tests/report/data/fuzz-corpus/* report/supplied/*.frf "$BUILD/corpus/" 2>/dev/null || true
export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$BUILD"
QT_QPA_PLATFORM=offscreen ./tests/report/fuzz_report_format -max_total_time="$SECONDS_TO_RUN" -max_len=16384 \
  -timeout=20 -rss_limit_mb=4096 -artifact_prefix=crashes/ corpus
