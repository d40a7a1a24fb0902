#!/usr/bin/env bash
# Builds the three configurations: the 32-bit Windows stub (the product),
# its 64-bit twin for Wine, and the native build (POSIX stub, qelpack,
# samples, tests, benchmarks).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install_dependencies.sh
jobs=$(nproc)
for preset in mingw32 mingw64 native; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs" >/dev/null
done
echo "Built: build/mingw32/qelsetup.exe ($(stat -c %s build/mingw32/qelsetup.exe) bytes)," \
     "build/mingw64/qelsetup.exe, build/native/qelsetup, build/native/qelpack"
