#!/usr/bin/env bash
# Installs what is missing, builds glyphwright and runs every test.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
build="${GLYPHWRIGHT_BUILD_DIR:-$root/build}"
cd "$build"
# Widget tests use Qt's offscreen platform; tests that need a real screen get
# a virtual one from xvfb-run.
xvfb-run -a -s "-screen 0 1920x1080x24" ctest --output-on-failure -j"$(nproc)" --timeout 600
