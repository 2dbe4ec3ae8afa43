#!/usr/bin/env bash
# Builds the Debian package of the default preset:
#   scripts/package.sh          -> build/default/travix_<version>-1_<arch>.deb
# Only the installed programs are built (not the tests); the package is then
# made by CPack from the install rules. `cmake --build build/default --target
# package` does the same after building everything.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh build
if ! command -v dpkg-shlibdeps >/dev/null; then
  # dpkg-shlibdeps finds the run-time libraries the package depends on.
  scripts/install-deps.sh test
fi
cmake --preset default >/dev/null
cmake --build --preset default --target travix travixctl travix-send travix-devsim osConfLib
cpack -G DEB --config build/default/CPackConfig.cmake -B build/default
ls -1 build/default/travix_*.deb
