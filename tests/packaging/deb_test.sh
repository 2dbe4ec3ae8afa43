#!/usr/bin/env bash
# Builds the Debian package from the build folder (CPack; nothing is
# compiled), checks its control data, runs its maintainer script against a
# stand-in udevadm, unpacks it into a private root and runs the unpacked
# program there as a user would: on a simulated keyboard served by the
# unpacked travix-devsim, asked over its socket by the unpacked travixctl,
# then ended with SIGTERM.
#
#   deb_test.sh BUILD_DIR CPACK
set -euo pipefail
build=$1
cpack=$2

for tool in dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (dpkg-dev; scripts/install-deps.sh test)"; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/travix-deb.XXXXXX")
sim_pid=""
app_pid=""
cleanup() {
  for pid in $app_pid $sim_pid; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

started=$(date +%s%N)
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  exit 1
fi
deb=$(ls "$work"/out/*.deb)
echo "package $(basename "$deb"): $(( $(stat -c %s "$deb") / 1024 )) KiB, built in $(( ($(date +%s%N) - started) / 1000000 )) ms"

# Control data: the run-time packages, never a development or test package.
info=$(dpkg-deb -I "$deb")
depends=$(printf '%s\n' "$info" | sed -n 's/^ Depends: //p')
echo "Depends: $depends"
names=$(printf '%s\n' "$depends" | tr ',|' '\n\n' | sed 's/(.*//; s/[[:space:]]//g' | sed '/^$/d')
for name in $names; do
  case "$name" in
    *-dev | *-dbg | *-dbgsym | googletest | libgtest* | libgmock* | libbenchmark* | xvfb | openbox | clang*)
      fail "the package depends on $name" ;;
  esac
done
for needed in qt6-qpa-plugins libqt6widgets6 fonts-noto-cjk fonts-noto-core fonts-dejavu-core; do
  grep -qx "$needed" <<<"$names" || fail "the package does not depend on $needed"
done
for script in postinst postrm; do
  grep -qE "^ +[0-9]+ bytes, +[0-9]+ lines +\* +$script " <<<"$info" ||
    fail "no executable $script in the package"
done
contents=$(dpkg-deb -c "$deb" | awk '{print $NF}')
for file in ./usr/bin/travix ./usr/lib/udev/rules.d/70-travix.rules ./usr/lib/travix/SDK/libosConfLib.so \
            ./usr/share/applications/io.github.travix.Travix.desktop; do
  grep -qx "$file" <<<"$contents" || fail "$file is not in the package"
done

# The maintainer script reloads the rules and replays the hidraw nodes only
# where udev runs; udevadm is a stand-in that notes its arguments.
dpkg-deb -e "$deb" "$work/control"
mkdir -p "$work/fakebin"
printf '#!/bin/sh\necho "$*" >>"%s/udevadm.log"\n' "$work" >"$work/fakebin/udevadm"
chmod +x "$work/fakebin/udevadm"
PATH="$work/fakebin:$PATH" sh "$work/control/postinst" configure
if [ -d /run/udev ]; then
  expected=$'control --reload-rules\ntrigger --subsystem-match=hidraw --action=change'
else
  expected=""
fi
[ "$(cat "$work/udevadm.log" 2>/dev/null)" = "$expected" ] ||
  fail "postinst ran udevadm as '$(cat "$work/udevadm.log" 2>/dev/null)', expected '$expected'"

# The unpacked program, on simulated devices, with nothing of the user's.
root=$work/root
dpkg -x "$deb" "$root"
bin=$root/usr/bin
sim=$work/sim
"$bin/travix-devsim" serve --root "$sim" >"$work/devsim.log" 2>&1 &
sim_pid=$!
for _ in $(seq 200); do
  [ -S "$sim/devsim.sock" ] && break
  sleep 0.05
done
"$bin/travix-devsim" --root "$sim" plug keyboard >/dev/null

home=$work/home
mkdir -p "$home/.config" "$home/.local/share" "$home/.cache" "$work/runtime"
chmod 700 "$work/runtime"
run_env=(env -i PATH=/usr/bin:/bin HOME="$home" LANG=C.UTF-8
         XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share"
         XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$work/runtime"
         QT_QPA_PLATFORM=offscreen TRAVIX_SYSFS_ROOT="$sim/sys" TRAVIX_DEV_ROOT="$sim/dev")
started=$(date +%s%N)
"${run_env[@]}" "$bin/travix" >"$work/travix.log" 2>&1 &
app_pid=$!

# travixctl does the work itself when no program answers on the socket, so
# it is asked only once the program's socket is there: then the program
# answers (it holds the devices while it runs).
for _ in $(seq 150); do
  [ -S "$work/runtime/travix.sock" ] || ! kill -0 "$app_pid" 2>/dev/null && break
  sleep 0.1
done
listed=""
for _ in $(seq 40); do
  [ -S "$work/runtime/travix.sock" ] && kill -0 "$app_pid" 2>/dev/null || break
  if answer=$("${run_env[@]}" "$bin/travixctl" --json --timeout 5 list 2>/dev/null) &&
     grep -q '"device":"keyboard"' <<<"$answer"; then
    listed=$answer
    break
  fi
  sleep 0.25
done
if [ -n "$listed" ]; then
  echo "travixctl list after $(( ($(date +%s%N) - started) / 1000000 )) ms: $listed"
else
  fail "the unpacked program did not list the simulated keyboard"
  cat "$work/travix.log"
fi

if kill -0 "$app_pid" 2>/dev/null; then
  kill -TERM "$app_pid"
  status=0
  for _ in $(seq 100); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$app_pid" 2>/dev/null; then
    fail "the program did not end within 10 s of SIGTERM"
  else
    wait "$app_pid" || status=$?
    [ "$status" -eq 0 ] || fail "the program ended with status $status after SIGTERM"
  fi
  app_pid=""
else
  fail "the program ended before it was asked to"
  cat "$work/travix.log"
fi
# The socket goes with the program.
[ ! -e "$work/runtime/travix.sock" ] || fail "the socket is left behind"

[ "$failures" -eq 0 ] || exit 1
