#!/usr/bin/env bash
# Runs every test on a fresh machine: installs what is missing, builds all
# configurations, runs the suite with CTest (including the Wine and
# valgrind runs), runs it again built with AddressSanitizer and
# UndefinedBehaviorSanitizer, and fuzzes each harness for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)
scripts/build.sh
ctest --preset native -j "$jobs"

echo "== The suite with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake --preset sanitize >/dev/null
cmake --build --preset sanitize -j "$jobs" >/dev/null
# Wine's runs exercise the Windows images, which no sanitizer instruments.
ctest --preset sanitize -j "$jobs" -E '^WineStub\.'

echo "== Fuzzing"
scripts/fuzz.sh
