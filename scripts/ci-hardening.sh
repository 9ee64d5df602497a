#!/usr/bin/env bash
# Hardening checks, after the ordinary build and tests:
#  1. every test again, built with AddressSanitizer and UndefinedBehaviorSanitizer
#     (g++, build-asan/); the Python module is left out, as the interpreter
#     would have to load the sanitizer runtime first;
#  2. the fuzz targets (clang and libFuzzer, build-fuzz/), each run for a short
#     fixed time from its seed corpus.
# AQVIS_FUZZ_SECONDS sets the time per fuzz target (default 25).
set -euo pipefail
cd "$(dirname "$0")/.."

jobs="$(nproc)"
fuzz_seconds="${AQVIS_FUZZ_SECONDS:-25}"
started=$SECONDS

echo "== Sanitizer build: address, undefined"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DAQVIS_SANITIZE=address,undefined -DAQVIS_BUILD_BENCH=OFF -DAQVIS_BUILD_PYTHON=OFF
cmake --build build-asan -j"$jobs"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:check_initialization_order=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# fontconfig, under Qt's text drawing, keeps caches it never frees: not ours.
printf 'leak:libfontconfig.so\n' >build-asan/lsan-suppressions.txt
export LSAN_OPTIONS="suppressions=$PWD/build-asan/lsan-suppressions.txt:print_suppressions=0"
ctest --test-dir build-asan --output-on-failure -j"$jobs"
echo "Sanitizer build and tests: $((SECONDS - started)) s"

echo "== Fuzz targets: ${fuzz_seconds} s each"
fuzz_started=$SECONDS
CXX=clang++ cmake -S fuzz -B build-fuzz -G Ninja
cmake --build build-fuzz -j"$jobs"
mkdir -p build-fuzz/logs build-fuzz/artifacts
declare -A max_len=([read_number]=4096 [format_number]=10 [calculation]=256 [batch_csv]=2048
                    [axis_ticks]=128)
failed=0
for target in read_number format_number calculation batch_csv axis_ticks; do
  log="build-fuzz/logs/${target}.log"
  work="$(mktemp -d)"  # new inputs go here; the seed corpus stays as it is
  status=0
  "build-fuzz/fuzz_${target}" -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len="${max_len[$target]}" -print_final_stats=1 \
    -artifact_prefix="build-fuzz/artifacts/${target}-" \
    "$work" "fuzz/corpus/${target}" >"$log" 2>&1 || status=$?
  rm -rf "$work"
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
  if [ "$status" -eq 0 ]; then
    echo "fuzz_${target}: ${runs:-?} executions, nothing found"
  else
    echo "fuzz_${target}: FAILED (exit status ${status}) after ${runs:-?} executions; end of ${log}:"
    tail -n 40 "$log"
    failed=1
  fi
done
echo "Fuzz build and runs: $((SECONDS - fuzz_started)) s"
echo "Hardening checks: $((SECONDS - started)) s"
exit "$failed"
