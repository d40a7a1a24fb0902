#!/usr/bin/env bash
# Runs every test on a fresh machine: installs what is missing, builds all
# configurations and runs the suite with CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
ctest --preset native -j "$(nproc)"
