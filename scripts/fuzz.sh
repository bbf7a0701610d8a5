#!/bin/sh
# Fuzzes the RTF reader: builds its libFuzzer target with clang in its own
# build folder and runs it for a bounded time, seeded with small seeds of its
# own, the RTF test corpus and the inputs of earlier findings.
# Usage: scripts/fuzz.sh [seconds] (60 by default). Exits non-zero when the
# fuzzer finds a crash, a sanitizer report, a timeout or an input that needs
# too much memory; the input is then in build-fuzz-rtf/artifacts/ (add it to
# fuzz/rtf/regressions/ with the fix, so that the replay test keeps it covered).
set -eu
cd "$(dirname "$0")/.."
SRC=$PWD
SECONDS_TO_RUN=${1:-60}
BUILD=${QD_FUZZ_BUILD:-build-fuzz-rtf}

CC=clang CXX=clang++ cmake -S fuzz/rtf -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" --target fuzz_rtf_reader

mkdir -p "$BUILD/corpus" "$BUILD/artifacts"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1"
export LSAN_OPTIONS="suppressions=$SRC/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
"$BUILD/fuzz_rtf_reader" \
  -max_total_time="$SECONDS_TO_RUN" -rss_limit_mb=1024 -malloc_limit_mb=1024 -timeout=5 \
  -max_len=65536 -dict=fuzz/rtf/rtf.dict -artifact_prefix="$BUILD/artifacts/" -print_final_stats=1 \
  "$BUILD/corpus" fuzz/rtf/seeds tests/rtf/data fuzz/rtf/regressions
