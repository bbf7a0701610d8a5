#!/bin/bash
# Fuzzes the two readers of untrusted files with libFuzzer (clang): the RTF
# reader and the report format loader. Each target is built in its own folder
# and run for a bounded time (seconds each, 60 by default), seeded with its
# corpus. Exits non-zero when a fuzzer finds a crash, a sanitizer report, a
# timeout or an input that needs too much memory; the input is then in the
# target's build folder. Keep such inputs with the fix (fuzz/rtf/regressions,
# tests/report/data/fuzz-corpus) so that the g++ replay tests cover them.
# Usage: scripts/fuzz.sh [seconds] [rtf|report ...]
set -euo pipefail
cd "$(dirname "$0")/.."
SRC=$PWD
SECONDS_TO_RUN=${1:-60}
shift || true
TARGETS=${*:-rtf report}
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=1"
export LSAN_OPTIONS="suppressions=$SRC/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

fuzz_rtf() {
  local build=build-fuzz-rtf
  CC=clang CXX=clang++ cmake -S fuzz/rtf -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" --target fuzz_rtf_reader
  mkdir -p "$build/corpus" "$build/artifacts"
  "$build/fuzz_rtf_reader" \
    -max_total_time="$SECONDS_TO_RUN" -rss_limit_mb=1024 -malloc_limit_mb=1024 -timeout=5 \
    -max_len=65536 -dict=fuzz/rtf/rtf.dict -artifact_prefix="$build/artifacts/" -print_final_stats=1 \
    "$build/corpus" fuzz/rtf/seeds tests/rtf/data fuzz/rtf/regressions
}

fuzz_report() {
  local build=build-fuzz-report
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DQD_PARTS="framework/data;rtf;report" -DQD_SANITIZE=ON -DQD_REPORT_FUZZ=ON -DQD_BENCH=OFF -DQD_UNITY_BUILD=ON \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null
  cmake --build "$build" --target fuzz_report_format
  mkdir -p "$build/corpus" "$build/crashes"
  cp -n tests/report/data/fuzz-corpus/* report/supplied/*.frf "$build/corpus/" 2>/dev/null || true
  (cd "$build" && ./tests/report/fuzz_report_format -max_total_time="$SECONDS_TO_RUN" -max_len=16384 \
    -timeout=20 -rss_limit_mb=4096 -artifact_prefix=crashes/ corpus)
}

for t in $TARGETS; do
  echo "== fuzzing $t for $SECONDS_TO_RUN s"
  "fuzz_$t"
done
