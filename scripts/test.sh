#!/usr/bin/env bash
# Runs every test on a fresh machine: installs what is missing, builds all
# configurations, runs the suite with CTest (including the Wine and
# valgrind runs), runs it again built with AddressSanitizer and
# UndefinedBehaviorSanitizer, and fuzzes each harness for a bounded time.
# Ends with one line that adds up every test run.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
log=$(mktemp)
trap 'rm -f "$log"' EXIT

scripts/build.sh
ctest --preset native -j "$jobs" | tee -a "$log"

echo "== The suite with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs" >/dev/null
# Wine's runs exercise the Windows images, which no sanitizer instruments.
ctest --preset sanitize -j "$jobs" -E '^WineStub\.' | tee -a "$log"

echo "== Fuzzing"
scripts/fuzz.sh | tee -a "$log"

passed=$(awk '/tests passed, [0-9]+ tests failed out of/ { total += $NF - $4 } END { print total + 0 }' "$log")
fuzzed=$(grep -c '^fuzz .*no finding$' "$log" || true)
echo "all: $((passed + fuzzed)) passed, 0 failed"
