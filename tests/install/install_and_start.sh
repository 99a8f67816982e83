#!/usr/bin/env bash
# Installs the build into a new prefix whose path holds a space, checks what
# landed there, then starts the installed program through its launcher link
# from another directory and closes it: it must create tmp/ and tessdata/ in
# its installed program directory, load the installed engine library, and
# save its settings there on close.
#   install_and_start.sh <cmake> <build dir>
set -euo pipefail
cmake_command="$1"
build="$2"

work=$(mktemp -d)
pid=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

prefix="$work/prefix with space"
"$cmake_command" --install "$build" --prefix "$prefix" >"$work/install.log" ||
  { cat "$work/install.log" >&2; fail "cmake --install failed"; }
dir="$prefix/lib/glyphwright"

# The program directory.
[ -x "$dir/glyphwright" ] || fail "no executable in $dir"
[ -f "$dir/libmorvexa.so" ] || fail "no libmorvexa.so beside the executable"
[ -x "$dir/glyphwright-dictcheck" ] || fail "no dictionary checker beside the executable"
"$dir/glyphwright-dictcheck" "$dir/bin/tessdata" eng 3 3 2>/dev/null ||
  fail "the installed dictionary checker does not load eng (status $?)"
readelf -d "$dir/glyphwright" | grep -q 'R.*PATH.*\[\$ORIGIN\]' || fail "the executable's RPATH is not \$ORIGIN"
for tool in tesseract unicharset_extractor mftraining cntraining combine_tessdata lstmtraining; do
  [ -x "$dir/bin/$tool" ] || fail "bin/$tool is missing or not executable"
done
for data in eng.traineddata chi_sim.traineddata; do
  [ -f "$dir/bin/tessdata/$data" ] || fail "bin/tessdata/$data is missing"
done
for folder in configs tessconfigs; do
  [ -d "$dir/bin/tessdata/$folder" ] || fail "bin/tessdata/$folder is missing"
done
langs=$("$dir/bin/tesseract" --tessdata-dir "$dir/bin/tessdata" --list-langs 2>&1)
grep -qx eng <<<"$langs" && grep -qx chi_sim <<<"$langs" || fail "tesseract lists no eng and chi_sim: $langs"

# The launcher, the desktop entry and the icon.
[ "$(readlink -f "$prefix/bin/glyphwright")" = "$(readlink -f "$dir/glyphwright")" ] ||
  fail "bin/glyphwright does not lead to the installed executable"
desktop="$prefix/share/applications/glyphwright.desktop"
icon="$prefix/share/icons/hicolor/64x64/apps/glyphwright.png"
[ -f "$desktop" ] || fail "no desktop entry"
head -n 1 "$desktop" | grep -qx '\[Desktop Entry\]' || fail "the desktop entry has no [Desktop Entry] group"
grep -qxF "Exec=\"$dir/glyphwright\"" "$desktop" || fail "Exec does not name the installed executable: $(grep ^Exec "$desktop")"
grep -qxF "Icon=$icon" "$desktop" || fail "Icon does not name the installed icon"
[ "$(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "the icon is no PNG"

# Start the installed program outside the build tree.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
cd "$work"
on_screen=""
if [ -n "${DISPLAY:-}" ] && command -v xdotool >/dev/null; then
  on_screen=1
  QT_QPA_PLATFORM=xcb "$prefix/bin/glyphwright" &
else
  # Without a display it can only be shown to start and stay up.
  QT_QPA_PLATFORM=offscreen "$prefix/bin/glyphwright" &
fi
pid=$!

for _ in $(seq 1 150); do
  [ -d "$dir/tmp" ] && [ -d "$dir/tessdata" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the installed program ended at start-up"
  sleep 0.1
done
[ -d "$dir/tmp" ] || fail "no tmp/ in the installed program directory"
[ -d "$dir/tessdata" ] || fail "no tessdata/ in the installed program directory"
grep -qF "$dir/libmorvexa.so" "/proc/$pid/maps" || fail "the installed libmorvexa.so is not the one loaded"

if [ -z "$on_screen" ]; then
  sleep 2
  kill -0 "$pid" 2>/dev/null || fail "the installed program did not stay up"
  echo "no display: started and stayed up; closing by the window was not tried"
  exit 0
fi

window=""
for _ in $(seq 1 150); do
  window=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the installed program ended before its window appeared"
  sleep 0.1
done
[ -n "$window" ] || fail "no window appeared"
sleep 1
kill -0 "$pid" 2>/dev/null || fail "the installed program did not stay up"
# Escape closes the main window as a user would, settings and all.
xdotool key --window "$window" Escape 2>/dev/null || true
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the window did not close on Escape"
status=0
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || fail "the installed program exited with status $status"
[ -f "$dir/runeforge.cfg" ] || fail "no runeforge.cfg in the installed program directory after closing"
echo "installed, started from $prefix/bin and closed cleanly"
