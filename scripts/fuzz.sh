#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang into build-fuzz/ and runs
# each for a while, as many at once as there are cores:
#   bash scripts/fuzz.sh [seconds per target, default 60] [target ...]
# Every target starts from its seeds in fuzz/corpus/<target>/ and keeps what
# it learns in build-fuzz/corpus/<target>/. A crash, a leak, a report of the
# sanitizers or a broken check stops the target, saves the input under
# build-fuzz/crashes/<target>/ and makes the script fail; rerun a saved input
# with: build-fuzz/<target> <file>
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${GLYPHWRIGHT_FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${1:-60}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(fuzz_dot_matrix fuzz_sample_text fuzz_settings_file fuzz_glyph_boxes fuzz_image_load)
fi

# New build directories get Ninja, as in scripts/build.sh.
if [ -z "${CMAKE_GENERATOR:-}" ] && command -v ninja >/dev/null; then
  export CMAKE_GENERATOR=Ninja
fi
cmake -S "$root/fuzz" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
# Quiet unless it fails; Ninja prints the compiler's errors on stdout.
if ! cmake --build "$build" -j"$(nproc)" >"$build/build.log" 2>&1; then
  cat "$build/build.log" >&2
  exit 1
fi

declare -A dictionary=(
  [fuzz_sample_text]=json.dict
  [fuzz_settings_file]=json.dict
  [fuzz_image_load]=image.dict
)

run_target() {
  local target="$1"
  local corpus="$build/corpus/$target" crashes="$build/crashes/$target/"
  mkdir -p "$corpus" "$crashes"
  local options=(
    -max_total_time="$seconds"
    -timeout=20          # one input taking this long is a hang
    -rss_limit_mb=3072   # and this much memory a blow-up
    -print_final_stats=1
    -artifact_prefix="$crashes"
  )
  if [ -n "${dictionary[$target]:-}" ]; then
    options+=(-dict="$root/fuzz/${dictionary[$target]}")
  fi
  local status=0
  "$build/$target" "${options[@]}" "$corpus" "$root/fuzz/corpus/$target" \
    >"$build/$target.log" 2>&1 || status=$?
  echo "$status" >"$build/$target.status"
}

# Reports of the sanitizers end the run: halt at the first, with leak checks.
export ASAN_OPTIONS="${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"

echo "glyphwright: fuzzing ${targets[*]} for ${seconds} s each"
for target in "${targets[@]}"; do
  # Keep at most one target per core running.
  while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do
    wait -n || true
  done
  rm -f "$build/$target.status"
  run_target "$target" &
done
wait
failed=()
for target in "${targets[@]}"; do
  if [ "$(cat "$build/$target.status" 2>/dev/null)" = 0 ]; then
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/$target.log" | grep -o '[0-9]*$' || true)
    echo "  $target: passed, ${runs:-?} inputs"
  else
    failed+=("$target")
    echo "  $target: FAILED, log $build/$target.log; the input is in $build/crashes/$target/"
    tail -n 40 "$build/$target.log" | sed 's/^/    /'
  fi
done
[ ${#failed[@]} -eq 0 ]
