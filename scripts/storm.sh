#!/usr/bin/env bash
# The storm tests (label "storm"): minutes of plugging, link switching,
# silent devices, kills during saves and socket floods, against the device
# simulator. CI runs this after the main suite (scripts/test.sh leaves them
# out).
#
#   scripts/storm.sh [PRESET]
#
# TRAVIX_STORM_CYCLES sets the rounds of every storm (default: what fits the
# budget on two cores, about 6.5 minutes); TRAVIX_STORM_BUDGET the seconds
# the whole run may take (default 900). Each storm prints one line of
# figures starting "storm: "; they are collected at the end, and the whole
# output is kept in build/PRESET/storm.log.
set -euo pipefail
preset="${1:-default}"
budget="${TRAVIX_STORM_BUDGET:-900}"
cd "$(dirname "$0")/.."
build="build/$preset"
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(cd .. && pwd)}"

# Others may build in the same tree: one build at a time.
if [ ! -f "$build/build.ninja" ]; then
  flock /tmp/travix-build.lock cmake --preset "$preset"
fi
flock /tmp/travix-build.lock \
  cmake --build "$build" --target storm_device_tests storm_process_tests travix -j2

start=$(date +%s)
stop=$(date -d "@$((start + budget))" +%H:%M:%S)
status=0
# --stop-time: no storm starts after the budget; --timeout: none runs past it.
ctest --preset "$preset" -L storm -V --stop-time "$stop" --timeout "$budget" \
  > "$build/storm.log" 2>&1 || status=$?
grep -E '^[0-9]+/[0-9]+ Test|tests passed|tests failed|Total Test time' "$build/storm.log" || true
echo "storm figures:"
sed -n 's/^\([0-9]*: \)\{0,1\}\(storm: .*\)$/\2/p' "$build/storm.log"
echo "storm wall time: $(( $(date +%s) - start )) s"
if [ "$status" -ne 0 ]; then
  echo "storm tests failed; see $build/storm.log" >&2
fi
exit "$status"
