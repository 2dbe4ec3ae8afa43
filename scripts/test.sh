#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite:
#   scripts/test.sh [default|asan|tsan]
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
scripts/install-deps.sh test
scripts/build.sh "$preset"
# The storms (label "storm") take minutes and run apart: scripts/storm.sh.
ctest --preset "$preset" -j "$(nproc)" -LE storm
