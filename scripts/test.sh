#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite:
#   scripts/test.sh [default|asan|tsan]
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-default}"
scripts/install-deps.sh test
scripts/build.sh "$preset"
ctest --preset "$preset" -j "$(nproc)"
