#!/usr/bin/env bash
# Configures and builds glyphwright into build/ (or $GLYPHWRIGHT_BUILD_DIR).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${GLYPHWRIGHT_BUILD_DIR:-$root/build}"
# New build directories get Ninja: it keeps both cores busy across targets
# where Make leaves one idle. A directory made before keeps its generator.
if [ -z "${CMAKE_GENERATOR:-}" ] && command -v ninja >/dev/null; then
  export CMAKE_GENERATOR=Ninja
fi
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE="${GLYPHWRIGHT_BUILD_TYPE:-RelWithDebInfo}" "$@" >/dev/null
cmake --build "$build" -j"$(nproc)"
