#!/usr/bin/env bash
# Installs what is missing, builds, and starts Travix.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh run
scripts/build.sh default
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found. Start Travix from a desktop session, or under Xvfb:" >&2
  echo "  Xvfb :99 -screen 0 1280x800x24 & DISPLAY=:99 $0" >&2
  exit 1
fi
exec build/default/bin/travix "$@"
