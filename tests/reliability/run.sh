#!/bin/bash
# Reliability: every test under AddressSanitizer and UndefinedBehaviorSanitizer (any report
# fails the run, even from a test that passed), then each libFuzzer target over its seed corpus
# and for a bounded time. Installs what a fresh machine lacks; under CI a missing tool fails.
#   LUM_FUZZ_SECONDS  seconds per fuzz target (default 20)
#   LUM_TEST_SCALE    size factor of the big end-to-end inputs under the sanitizers (default 0.05)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
fuzzSeconds=${LUM_FUZZ_SECONDS:-20}
scale=${LUM_TEST_SCALE:-0.05}
work=$(mktemp -d /tmp/lum-reliability-XXXXXX)
trap 'rm -rf "$work"' EXIT

source "$root/tests/tools.sh"
need cmake cmake
need ninja ninja-build
need g++ g++
need clang++ clang
need wrk wrk
need curl curl
[ -e /usr/lib/x86_64-linux-gnu/cmake/GTest ] || install libgtest-dev
fuzzer_runtime() { ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; }
fuzzer_runtime || install libclang-rt-14-dev || true
fuzzer_runtime || { echo "error: the libFuzzer runtime (libclang-rt-14-dev) is missing"; exit 1; }

echo "== sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer)"
cmake -S . -B build-asan -G Ninja -DLUM_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
ninja -C build-asan
# The install test builds and installs a plain lum of its own: nothing of it runs sanitized. The
# tests driven from Node (playground, step view, editor, watch-mode pages, tasks, class) spend
# their time in Chromium and node, and the lum they start does what the e2e and browser tests
# already run sanitized, so they stay out; so does the table test that compiles every case again
# without each rule in turn (some 200 folder compiles of the same cases: the rules and pattern
# fuzz targets cover the matcher with any table).
echo "== sanitizer tests (big inputs at scale $scale; all but install and the Node-driven tests)"
reports=$work/sanitizer-reports
mkdir -p "$reports"
status=0
ASAN_OPTIONS="log_path=$reports/asan:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1" \
UBSAN_OPTIONS="log_path=$reports/ubsan:print_stacktrace=1:halt_on_error=1" \
LUM_TEST_SCALE=$scale GTEST_FILTER='-Vocabulary.EveryRuleIsExercisedByACaseThatFailsWithoutIt' \
ctest --test-dir build-asan --output-on-failure \
  -E '^(install|browser_watch|browser_tasks|browser_class|editor|playground|playground_field|playground_tasks|step)$' || status=1
failures=()
if [ -n "$(ls -A "$reports")" ]; then
  echo "error: sanitizer reports:"
  for f in "$reports"/*; do echo "---- $f"; head -60 "$f"; done
  failures+=("sanitizer reports")
else
  echo "== sanitizers: no report"
fi
[ "$status" = 0 ] || failures+=("tests under the sanitizers")

echo "== fuzz build (clang, libFuzzer)"
CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DLUM_FUZZ=ON -DLUM_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build-fuzz fuzz_all
targets=$(ls fuzz/corpus)
echo "== fuzz seeds (every input of fuzz/corpus, once)"
for t in $targets; do
  build-fuzz/fuzz/fuzz_$t -runs=0 -close_fd_mask=1 fuzz/corpus/$t >"$work/seed-$t.log" 2>&1 \
    || { echo "error: fuzz_$t fails on its seed corpus"; tail -40 "$work/seed-$t.log"; failures+=("fuzz_$t seeds"); }
done
echo "== fuzzing, $fuzzSeconds s per target, two at a time"
fuzz_one() {
  local t=$1
  mkdir -p "$work/corpus-$t"
  build-fuzz/fuzz/fuzz_$t -max_total_time="$fuzzSeconds" -timeout=10 -rss_limit_mb=2048 -close_fd_mask=1 \
    -print_final_stats=1 -artifact_prefix="$work/$t-" "$work/corpus-$t" "fuzz/corpus/$t" >"$work/fuzz-$t.log" 2>&1
}
pids=()
names=()
for t in $targets; do
  fuzz_one "$t" & pids+=($!); names+=("$t")
  if [ ${#pids[@]} -ge 2 ]; then
    wait "${pids[0]}" || echo "fuzz_${names[0]} failed" >>"$work/failed"
    pids=("${pids[@]:1}"); names=("${names[@]:1}")
  fi
done
for i in "${!pids[@]}"; do wait "${pids[$i]}" || echo "fuzz_${names[$i]} failed" >>"$work/failed"; done
printf '%-16s %12s %10s %8s\n' target executions "exec/s" corpus
for t in $targets; do
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/fuzz-$t.log" | tail -1)
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/fuzz-$t.log" | tail -1)
  corpus=$(ls "$work/corpus-$t" | wc -l)
  printf '%-16s %12s %10s %8s\n' "$t" "${runs:-?}" "${speed:-?}" "$corpus"
done
if [ -e "$work/failed" ]; then
  cat "$work/failed"
  for t in $targets; do
    if grep -q -E 'ERROR: libFuzzer|property failed|runtime error|SUMMARY: ' "$work/fuzz-$t.log"; then
      echo "---- fuzz_$t"; grep -v '^#' "$work/fuzz-$t.log" | tail -40
      for a in "$work/$t-"*; do
        [ -e "$a" ] || continue
        mkdir -p "$root/fuzz/found"; cp "$a" "$root/fuzz/found/"
        echo "input kept as fuzz/found/$(basename "$a"): add it to fuzz/corpus/$t/ with a regression test"
      done
    fi
  done
  failures+=("fuzzing")
fi
if [ ${#failures[@]} -gt 0 ]; then
  echo "error: reliability failed: ${failures[*]}"
  exit 1
fi
echo "== reliability: all passed"
