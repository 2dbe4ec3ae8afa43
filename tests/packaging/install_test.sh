#!/usr/bin/env bash
# Installs the build folder into a staging root as a package would (DESTDIR,
# prefix /usr) and checks the result: every file where the freedesktop
# specifications and udev look for it, the desktop entry and the AppStream
# file valid and naming each other, the icons of the sizes their folders
# say, and no program that still points into the build tree.
#
#   install_test.sh BUILD_DIR
set -euo pipefail
build=$1
id=io.github.travix.Travix

for tool in desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh test)"; exit 1; }
done

stage=$(mktemp -d "${TMPDIR:-/tmp}/travix-install.XXXXXX")
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install "$build" --prefix /usr >"$stage.log" 2>&1 || { cat "$stage.log"; rm -f "$stage.log"; exit 1; }
rm -f "$stage.log"
usr=$stage/usr
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for program in travix travixctl travix-send travix-devsim; do
  [ -x "$usr/bin/$program" ] || fail "/usr/bin/$program is missing or not executable"
  if [ -e "$usr/bin/$program" ] && readelf -d "$usr/bin/$program" | grep -E 'R(UN)?PATH' | grep -qF "$build"; then
    fail "/usr/bin/$program still looks for libraries in the build tree"
  fi
done
# Where the program looks for its data and its audio library once installed
# (../share/travix and ../lib/travix/SDK beside the executable).
for file in lib/travix/SDK/libosConfLib.so share/travix/skin/res.xml share/travix/skin/menu.xml \
            share/travix/skin/lan_en.xml share/travix/skin/lan_cn.xml share/travix/skin/lan_tc.xml \
            share/travix/skin/lan_th.xml share/travix/skin/images/logo.png \
            share/bash-completion/completions/travixctl \
            share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
            share/icons/hicolor/scalable/apps/$id.svg; do
  [ -f "$usr/$file" ] || fail "/usr/$file is missing"
done
[ -n "$(ls -A "$usr/share/travix/DefaultData" 2>/dev/null)" ] || fail "/usr/share/travix/DefaultData is missing or empty"
# udev reads /usr/lib/udev/rules.d, never a folder under /usr/local.
[ -f "$usr/lib/udev/rules.d/70-travix.rules" ] || fail "the udev rule is not in /usr/lib/udev/rules.d"
if [ -n "$(find "$stage" -path '*/local/*' -print -quit)" ]; then
  fail "files installed under a local folder: $(find "$stage" -path '*/local/*' | head -3)"
fi

# Every PNG icon has the size of its folder.
sizes=0
for icon in "$usr"/share/icons/hicolor/*x*/apps/$id.png; do
  [ -f "$icon" ] || continue
  sizes=$((sizes + 1))
  folder=$(basename "$(dirname "$(dirname "$icon")")")
  read -r width height < <(od -An -tu1 -j16 -N8 "$icon" |
    awk '{print $1*16777216 + $2*65536 + $3*256 + $4, $5*16777216 + $6*65536 + $7*256 + $8}')
  [ "${width}x${height}" = "$folder" ] || fail "$icon is ${width}x${height}"
done
[ "$sizes" -ge 4 ] || fail "only $sizes PNG icon sizes installed"

desktop=$usr/share/applications/$id.desktop
if [ -f "$desktop" ]; then
  desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $id.desktop"
  exec_program=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
  [ -x "$usr/bin/$exec_program" ] || fail "Exec=$exec_program is not an installed program"
  grep -qx "Icon=$id" "$desktop" || fail "the desktop entry's icon is not $id"
fi
metainfo=$usr/share/metainfo/$id.metainfo.xml
if [ -f "$metainfo" ]; then
  appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects $id.metainfo.xml"
  # The tree as a whole: the metainfo's launchable names the installed desktop entry.
  appstreamcli validate-tree --no-net "$stage" || fail "appstreamcli rejects the installed tree"
fi

[ "$failures" -eq 0 ] || exit 1
echo "installed tree complete: $(find "$stage" -type f | wc -l) files"
