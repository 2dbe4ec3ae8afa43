#!/usr/bin/env bash
# Measures Travix's CPU use on the simulated devices, thread by thread.
#
#   scripts/cpu-usage.sh [--mode N] [--all] [--hidden] [--seconds S]
#
# Starts the program offscreen on the simulator with the UI test hook, opens
# the keyboard's lighting panel, picks light mode N of the list (default 1,
# a moving effect), with --all on every page (mouse, keyboard, mouse pad and
# headset: four devices animating, the headset streaming its light reports),
# optionally hides the window to the tray, waits for things to
# settle and then reads utime + stime of every thread from /proc over S
# seconds (default 30). Prints each busy thread and the total as a percentage
# of one core. Needs python3 for the hook's socket.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=1
hidden=0
all=0
seconds=30
while [ $# -gt 0 ]; do
  case "$1" in
    --mode) mode=$2; shift ;;
    --hidden) hidden=1 ;;
    --all) all=1 ;;
    --seconds) seconds=$2; shift ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
  shift
done

scripts/build.sh default >/dev/null
run=$(mktemp -d "${TMPDIR:-/tmp}/travix-cpu.XXXXXX")
chmod 700 "$run"
mkdir -p "$run/data"
export XDG_RUNTIME_DIR="$run" XDG_DATA_HOME="$run/data" TMPDIR="$run"
QT_QPA_PLATFORM=offscreen TRAVIX_TEST_UI=1 setsid scripts/run.sh --simulate >"$run/run.log" 2>&1 &
runner=$!
cleanup() {
  kill -- -"$runner" 2>/dev/null || true
  wait "$runner" 2>/dev/null || true
  rm -rf "$run"
}
trap cleanup EXIT INT TERM

hook() {
  python3 - "$run/travix.sock" "$@" <<'EOF'
import json, socket, sys
path, kind, control = sys.argv[1:4]
message = {"message": "Travix.Test.Notify", "type": kind, "control": control}
if kind == "select":
    message["index"] = int(sys.argv[4])
s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
s.connect(path)
s.sendall((json.dumps(message) + "\n").encode())
s.settimeout(5)
answer = s.recv(4096).decode()
if '"ok":true' not in answer.replace(" ", ""):
    sys.exit("hook: " + answer.strip())
EOF
}

for _ in $(seq 120); do [ -S "$run/travix.sock" ] && break; sleep 0.5; done
sleep 3
if [ "$all" = 1 ]; then
  # From the first page to the last: the same list position on each.
  for _ in 1 2 3; do hook click device_select_prev; done
  for page in 1 2 3 4; do
    hook click deng_Op_tab
    hook select light_combo_modeSelect "$mode"
    [ "$page" -lt 4 ] && hook click device_select_next
    sleep 1
  done
else
  # The keyboard's page: second in the device bar, after the mouse.
  for _ in 1 2 3; do hook click device_select_prev; done
  hook click device_select_next
  hook click deng_Op_tab
  hook select light_combo_modeSelect "$mode"
fi
[ "$hidden" = 1 ] && hook click closebtn
sleep 5

pid=$(pgrep -n -f "build/default/bin/travix$")
snapshot() {
  for task in /proc/"$pid"/task/*; do
    printf '%s %s %s\n' "${task##*/}" "$(awk '{print $14 + $15}' "$task/stat")" \
      "$(tr ' ' '_' <"$task/comm")"
  done | sort
}
snapshot >"$run/before"
sleep "$seconds"
snapshot >"$run/after"
hz=$(getconf CLK_TCK)
echo "mode $mode$([ "$all" = 1 ] && echo " on all four pages"), $([ "$hidden" = 1 ] && echo hidden || echo shown), ${seconds} s (percent of one core):"
join "$run/before" "$run/after" | awk -v s="$seconds" -v hz="$hz" '
  { d = $4 - $2; total += d; if (d > 0) printf "  %-20s %.2f\n", $3, 100 * d / (hz * s) }
  END { printf "  %-20s %.2f\n", "total", 100 * total / (hz * s) }'
