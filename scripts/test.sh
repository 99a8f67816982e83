#!/usr/bin/env bash
# Installs what is missing, builds glyphwright and runs every test, in three
# rounds:
#   1. the suite, built as usual in build/;
#   2. the same suite built with AddressSanitizer and UndefinedBehaviorSanitizer
#      in build-asan/, where any report fails the test that caused it;
#   3. a short run of each fuzz target (scripts/fuzz.sh) in build-fuzz/.
# Every round runs even when an earlier one failed; the script fails if any did.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
# New build directories get Ninja: it keeps both cores busy across targets
# where Make leaves one idle. A directory made before keeps its generator.
if [ -z "${CMAKE_GENERATOR:-}" ] && command -v ninja >/dev/null; then
  export CMAKE_GENERATOR=Ninja
fi
# Both suites are unity builds: each compiler run takes a batch of a target's
# sources, so the Qt, GoogleTest and OpenCV headers are parsed once per batch,
# not once per file. A build directory keeps the setting; give
# scripts/build.sh -DCMAKE_UNITY_BUILD=OFF for a file per compiler run again,
# which rebuilds less after an edit.
unity=(-DCMAKE_UNITY_BUILD=ON -DCMAKE_UNITY_BUILD_BATCH_SIZE=8)
"$root/scripts/build.sh" "${unity[@]}"
build="${GLYPHWRIGHT_BUILD_DIR:-$root/build}"
asan_build="${GLYPHWRIGHT_ASAN_BUILD_DIR:-$root/build-asan}"
fuzz_seconds="${GLYPHWRIGHT_FUZZ_SECONDS:-15}"

# Widget tests use Qt's offscreen platform; tests that need a real screen get
# a virtual one from xvfb-run.
run_suite() {
  (cd "$1" && xvfb-run -a -s "-screen 0 1920x1080x24" \
    ctest --output-on-failure -j"$(nproc)" --timeout 600)
}

failed=()
echo "glyphwright: round 1 of 3, the test suite"
run_suite "$build" || failed+=("the test suite")

echo "glyphwright: round 2 of 3, the test suite under AddressSanitizer and UndefinedBehaviorSanitizer"
# The first report ends the process, so the test fails; leaks are reported at
# exit. scripts/lsan.supp lists the few leaks of system libraries we accept.
# Set for the build too: it runs the test programs to list their tests.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
# -O1 keeps the reports exact and the run short; benchmarks are not built.
# The test programs' own sources, which run little, are compiled at -O0, in a
# third less time. -g1 keeps the file and line of every frame in a report but
# leaves out the types and locals, which a fifth of the compile time went into.
if cmake -S "$root" -B "$asan_build" -DGLYPHWRIGHT_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
  "-DCMAKE_C_FLAGS_DEBUG=-O1 -g1" "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1" \
  -DGLYPHWRIGHT_TEST_COMPILE_OPTIONS=-O0 "${unity[@]}" >/dev/null &&
  cmake --build "$asan_build" -j"$(nproc)"; then
  run_suite "$asan_build" || failed+=("the sanitized test suite")
else
  failed+=("the sanitized build")
fi

echo "glyphwright: round 3 of 3, fuzzing each target for ${fuzz_seconds} s"
unset ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS
"$root/scripts/fuzz.sh" "$fuzz_seconds" || failed+=("fuzzing")

if [ ${#failed[@]} -gt 0 ]; then
  printf 'glyphwright: FAILED: %s\n' "${failed[@]}" >&2
  exit 1
fi
echo "glyphwright: all tests passed"
