#!/usr/bin/env bash
# Installs what is missing, builds glyphwright and starts it. Without a display
# it starts on a virtual one (Xvfb), saves a screenshot of the window and says
# where.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
build="${GLYPHWRIGHT_BUILD_DIR:-$root/build}"
program="$build/program/glyphwright"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "glyphwright: starting $program"
  exec "$program"
fi

exec "$root/scripts/run-virtual-display.sh" "$program" "$build/glyphwright-window.png"
