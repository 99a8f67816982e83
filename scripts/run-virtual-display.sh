#!/usr/bin/env bash
# Runs glyphwright on a virtual display (Xvfb) for machines without a screen,
# saves a screenshot of its window and then keeps it open until Enter is
# pressed (or closes it at once when nobody is at the terminal). Closing goes
# through the window, so the settings file is written as on a real desktop.
set -euo pipefail
program="$1"
screenshot="$2"

if [ -z "${GLYPHWRIGHT_XVFB_INNER:-}" ]; then
  export GLYPHWRIGHT_XVFB_INNER=1
  exec xvfb-run -a -s "-screen 0 1440x900x24" "$0" "$@"
fi

# Qt wants a private runtime directory; a headless root session has none.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi

"$program" &
pid=$!
window=""
for _ in $(seq 1 100); do
  window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid" || true
    echo "glyphwright: the program ended before its window appeared." >&2
    exit 1
  fi
  sleep 0.1
done
if [ -z "$window" ]; then
  echo "glyphwright: no window appeared within 10 seconds." >&2
  kill "$pid" 2>/dev/null || true
  exit 1
fi
sleep 1 # let it paint
import -window root "$screenshot"

cat <<MSG
glyphwright: there is no display on this machine, so glyphwright is running on a
virtual display (Xvfb, $DISPLAY). A screenshot of its main window is saved at
  $screenshot
Its program directory, with the settings file runeforge.cfg written at close, is
  $(dirname "$program")/
To work with the window itself, run this command on a desktop (or over ssh -X).
MSG

if [ -t 0 ]; then
  read -r -p "Press Enter to close glyphwright. " _ || true
fi
xdotool key --window "$window" Escape 2>/dev/null || true
for _ in $(seq 1 50); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  kill "$pid" 2>/dev/null || true
fi
wait "$pid" 2>/dev/null || true
echo "glyphwright: closed; settings saved to $(dirname "$program")/runeforge.cfg"
