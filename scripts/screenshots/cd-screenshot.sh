#!/usr/bin/env bash
# Pictures the CD player playing track 2 of a generated image:
#   scripts/screenshots/cd-screenshot.sh <build dir> [png path]
# Runs under its own Xvfb and sound server; with twm installed the window
# gets a title bar, so that the caption shows.
set -u
build=${1:?build directory}
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${2:-$root/docs/screenshots/cd-player.png}
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash -c '
  if command -v twm >/dev/null; then twm >/dev/null 2>&1 & sleep 1; fi
  QT_QPA_PLATFORM=xcb "$1/tests/cd/run-with-pulse.sh" "$3/bin/cd_screenshot" "$2"
' _ "$root" "$out" "$build"
