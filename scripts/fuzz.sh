#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build/fuzz) and runs each for a
# bounded time on a copy of its seed corpus:
#   scripts/fuzz.sh [--seconds N] [--jobs J] [TARGET...]
# N: seconds per target, 30 by default (0 builds only). J: targets run side
# by side, one core each; the number of cores by default. Without TARGET,
# every target of fuzz/ runs. Target x_fuzzer starts from the seeds in
# fuzz/corpus/x and uses fuzz/dictionaries/x.dict when there is one; the
# seeds are never written (the runs grow copies in a temporary folder).
# Fails, naming the target and the input it kept, when a target finds a
# crash, a leak, a failed property or a time-out.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

seconds=30
jobs=$(nproc 2>/dev/null || echo 1)
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="${2:?--seconds needs a number}"; shift 2 ;;
    --seconds=*) seconds="${1#*=}"; shift ;;
    --jobs) jobs="${2:?--jobs needs a number}"; shift 2 ;;
    --jobs=*) jobs="${1#*=}"; shift ;;
    -h|--help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
case "$seconds" in ''|*[!0-9]*) echo "fuzz.sh: --seconds takes a whole number" >&2; exit 2 ;; esac
case "$jobs" in ''|*[!0-9]*|0) echo "fuzz.sh: --jobs takes a number from 1" >&2; exit 2 ;; esac

scripts/install-deps.sh test
if ! command -v clang++ >/dev/null || ! command -v clang >/dev/null; then
  echo "fuzz.sh: clang and clang++ are needed (scripts/install-deps.sh test installs them)" >&2
  exit 1
fi

build="$root/build/fuzz"
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$root")}"
# Other builds share the machine: one build at a time.
lock=/tmp/travix-build.lock
started=$(date +%s)
if [ -f "$build/CMakeCache.txt" ] && ! grep -q '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang++' "$build/CMakeCache.txt"; then
  echo "fuzz.sh: $build was configured with another compiler; remove it to start afresh" >&2
  exit 1
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ flock "$lock" cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" \
    -DTRAVIX_BUILD_FUZZERS=ON -DTRAVIX_BUILD_TESTS=OFF >/dev/null
fi
flock "$lock" cmake --build "$build" --target fuzzers -j "$(nproc)"
echo "fuzz.sh: built in $(( $(date +%s) - started )) s"
# --seconds 0: build only (libFuzzer would take 0 as no limit).
[ "$seconds" -eq 0 ] && exit 0

# Every target of fuzz/CMakeLists.txt when none is named.
if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < <(sed -n 's/^travix_fuzzer(\([a-z_]*\).*/\1/p' fuzz/CMakeLists.txt)
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/travix-fuzz.XXXXXX")
# The files the targets write for the parsers to read, in memory when it can.
scratch=$(mktemp -d /dev/shm/travix-fuzz.XXXXXX 2>/dev/null || mktemp -d "${TMPDIR:-/tmp}/travix-scratch.XXXXXX")
export TRAVIX_FUZZ_SCRATCH="$scratch"
trap 'rm -rf "$work" "$scratch"' EXIT

# One target: its corpus copied, then run; leaves its summary line and, when
# it found something, the input under build/fuzz/findings/<target>.
run_target() {
  # fuzz/corpus/<name> and fuzz/dictionaries/<name>.dict for <name>_fuzzer.
  local target=$1 binary="$build/bin/$1" dir="$work/$1" name=${1%_fuzzer}
  mkdir -p "$dir/corpus" "$dir/artifacts"
  if [ ! -x "$binary" ]; then
    echo "$target: no such fuzz target" >"$dir/summary"
    echo "$target: no such fuzz target in fuzz/CMakeLists.txt" >"$dir/failed"
    return
  fi
  if [ -d "fuzz/corpus/$name" ]; then
    cp -R "fuzz/corpus/$name/." "$dir/corpus/"
  fi
  local options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
                 -artifact_prefix="$dir/artifacts/")
  [ -f "fuzz/dictionaries/$name.dict" ] && options+=(-dict="$root/fuzz/dictionaries/$name.dict")
  local begin status=0
  begin=$(date +%s)
  # The targets keep their scratch files in /dev/shm (or $TMPDIR); no display.
  QT_QPA_PLATFORM=offscreen "$binary" "${options[@]}" "$dir/corpus" >"$dir/log" 2>&1 || status=$?
  local took=$(( $(date +%s) - begin ))
  local runs coverage crash
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/log" | tail -1)
  coverage=$(grep -E '^#[0-9]+[[:space:]]+(DONE|INITED|REDUCE|NEW|pulse|RELOAD)' "$dir/log" | tail -1 |
             sed -E 's/^#[0-9]+[[:space:]]+[A-Z]+[[:space:]]+//' || true)
  printf '%-26s %9s runs %4s s  %s\n' "$target" "${runs:-?}" "$took" "$coverage" >"$dir/summary"
  crash=$(find "$dir/artifacts" -type f | head -1)
  if [ "$status" -ne 0 ] || [ -n "$crash" ]; then
    local kept="$root/build/fuzz/findings/$target"
    rm -rf "$kept"
    mkdir -p "$kept"
    cp "$dir/log" "$kept/log"
    [ -n "$crash" ] && cp "$dir/artifacts/"* "$kept/"
    {
      echo "$target: exit $status, input ${crash:+$kept/$(basename "$crash")} (log: $kept/log)"
      grep -E 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error|property failed|what\(\)|SUMMARY' \
        "$dir/log" | head -4 | sed 's/^/    /' || true
    } >"$dir/failed"
  fi
}

# `jobs` targets at a time, each on one core.
echo "fuzz.sh: ${#targets[@]} targets, ${seconds} s each, ${jobs} at a time"
running=0
for target in "${targets[@]}"; do
  if [ "$running" -ge "$jobs" ]; then
    wait -n || true
    running=$((running - 1))
  fi
  run_target "$target" &
  running=$((running + 1))
done
wait || true

failed=0
for target in "${targets[@]}"; do
  cat "$work/$target/summary"
done
for target in "${targets[@]}"; do
  if [ -f "$work/$target/failed" ]; then
    echo "fuzz.sh: FAILED $(cat "$work/$target/failed")" >&2
    failed=$((failed + 1))
  fi
done
if [ "$failed" -gt 0 ]; then
  echo "fuzz.sh: $failed of ${#targets[@]} targets found something (inputs and logs under build/fuzz/findings)" >&2
  exit 1
fi
echo "fuzz.sh: ${#targets[@]} targets ran ${seconds} s each without a finding"
