#!/usr/bin/env bash
# Installs what is missing, builds, and starts Travix.
#
# With no supported device attached, Travix runs on simulated devices: a
# keyboard, a mouse through its 2.4 GHz receiver, a mouse pad and a headset
# (travix-devsim). Options:
#   --real       never simulate: wait for real devices (see README, udev rule)
#   --simulate   simulate even when real devices are attached
# Other arguments go to travix.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=auto
args=()
for arg in "$@"; do
  case "$arg" in
    --real) mode=real ;;
    --simulate) mode=simulate ;;
    *) args+=("$arg") ;;
  esac
done

scripts/install-deps.sh run
scripts/build.sh default
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found. Start Travix from a desktop session, or under Xvfb:" >&2
  echo "  Xvfb :99 -screen 0 1280x800x24 & DISPLAY=:99 $0" >&2
  exit 1
fi

bin=build/default/bin

# True when a hidraw node of a supported device is present.
real_device_attached() {
  local uevent id
  for uevent in /sys/class/hidraw/hidraw*/device/uevent; do
    [ -r "$uevent" ] || continue
    id=$(sed -n 's/^HID_ID=//p' "$uevent" | tr 'a-f' 'A-F')
    case "$id" in
      *:0000320F:00005055 | *:0000320F:00005088 | *:0000320F:000050EF | \
      *:0000320F:0000221D | *:0000320F:00001004 | *:00000C76:00001630) return 0 ;;
    esac
  done
  return 1
}

if [ "$mode" = real ] || { [ "$mode" = auto ] && real_device_attached; }; then
  exec "$bin/travix" "${args[@]}"
fi

root=$(mktemp -d "${TMPDIR:-/tmp}/travix-sim.XXXXXX")
"$bin/travix-devsim" serve --root "$root" &
sim_pid=$!
cleanup() {
  kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  rm -rf "$root"
}
trap cleanup EXIT INT TERM
for _ in $(seq 100); do
  [ -S "$root/devsim.sock" ] && break
  sleep 0.05
done
for device in keyboard mouse-receiver pad headset; do
  "$bin/travix-devsim" --root "$root" plug "$device" >/dev/null
done
echo "No supported device attached: running on simulated devices (travix-devsim, $root)." >&2
echo "Plug and unplug them with: $bin/travix-devsim --root $root plug|unplug KIND" >&2
TRAVIX_SYSFS_ROOT="$root/sys" TRAVIX_DEV_ROOT="$root/dev" "$bin/travix" "${args[@]}"
