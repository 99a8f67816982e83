#!/usr/bin/env bash
# Start-up of the real window: milliseconds from exec to a visible window,
# resident memory once it shows, and the shared libraries mapped. Runs the
# program several times on a virtual display and prints min / median / max.
#
#   bash bench/startup.sh [build/program/glyphwright] [runs]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
program="$(realpath "${1:-$root/build/program/glyphwright}")"
runs="${2:-10}"

if [ -z "${GLYPHWRIGHT_XVFB_INNER:-}" ]; then
  export GLYPHWRIGHT_XVFB_INNER=1
  exec xvfb-run -a -s "-screen 0 1440x900x24" "$0" "$program" "$runs"
fi
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi

# The display may still be coming up.
for _ in $(seq 1 100); do
  xdotool getmouselocation >/dev/null 2>&1 && break
  sleep 0.05
done

stats() { # prints min median max of the numbers on stdin
  sort -n | awk '{a[NR]=$1} END {printf "%s %s %s", a[1], a[int((NR+1)/2)], a[NR]}'
}

times=() rss=() libs=() failed=0
for _ in $(seq 1 "$runs"); do
  start=$(date +%s%N)
  "$program" &
  pid=$!
  window=""
  for _ in $(seq 1 2000); do
    window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.005
  done
  shown=$(date +%s%N)
  if [ -z "$window" ]; then
    # Now and then the virtual display refuses a client; count it and go on.
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    failed=$((failed + 1))
    [ "$failed" -le "$runs" ] || { echo "startup: no window appeared" >&2; exit 1; }
    continue
  fi
  times+=($(((shown - start) / 1000000)))
  sleep 0.5 # let it paint and settle
  rss+=($(awk '/^VmRSS/ {print int($2 / 1024)}' "/proc/$pid/status"))
  libs+=($(awk '$6 ~ /\.so/ {print $6}' "/proc/$pid/maps" | sort -u | wc -l))
  xdotool key --window "$window" Escape 2>/dev/null || true
  for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
done

echo "start-up to a visible window, ms (min median max): $(printf '%s\n' "${times[@]}" | stats)"
echo "resident memory after start, MB (min median max):  $(printf '%s\n' "${rss[@]}" | stats)"
echo "shared libraries mapped (min median max):         $(printf '%s\n' "${libs[@]}" | stats)"
[ "$failed" -eq 0 ] || echo "starts without a window (display refused the client): $failed"
