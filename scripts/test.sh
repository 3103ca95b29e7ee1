#!/usr/bin/env bash
# Sets up the machine, builds, and runs every test: the normal build, the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, the XML fuzz target for a bounded time, and
# the Windows build's tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/setup.sh

source scripts/lib/silent_failures.sh

jobs=$(nproc)
fuzz_seconds=${FUZZ_SECONDS:-60}

# ctest_or_report <build dir> <ctest arguments...>: runs ctest; when a test fails, names the
# failed tests that printed nothing before failing the script.
ctest_or_report() {
  local dir=$1; shift
  if ! "$@" --output-on-failure; then
    local silent
    silent=$(silent_failures "$dir")
    [ -n "$silent" ] && printf 'Failed tests without any output:\n%s\n' "$silent"
    return 1
  fi
}

run_ctest() {
  # GUI tests need a display; every test run gets its own virtual one. It must not reset when
  # its last client leaves: a window opening during the reset finds no display (a loop of
  # connections between two tests' windows lost 47 of 600 that way).
  ctest_or_report "build/$1" xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --preset "$1" -j "$jobs" --timeout 600
}

# Lists and logs that each build writes for the other to read back.
rm -rf build/interop

echo "== release build and tests"
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs"
run_ctest release

echo "== sanitizer build and tests"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp:print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_ctest asan

echo "== XML fuzz target (${fuzz_seconds}s)"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
cp tests/fuzz/corpus/* "$corpus"/ 2>/dev/null || true
build/fuzz/tests/fuzz/xml_fuzz -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 "$corpus"
echo "fuzz: no finding in ${fuzz_seconds}s"

echo "== Windows build and tests under Wine"
windows_start=$(date +%s)
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"
# The run starts a wineserver of its own (cmake/wine-run.sh) and ends it: one left by an earlier
# run is ended first, and the run's own would otherwise linger for ten idle minutes.
end_wineserver() {
  WINEPREFIX=$root/build/windows/wine wineserver -k 2>/dev/null || true
  WINEPREFIX=$root/build/windows/wine wineserver -w 2>/dev/null || true
}
end_wineserver
# Tests that open windows under Wine start a virtual display of their own.
ctest_or_report build/windows ctest --preset windows -j "$jobs" --timeout 300
end_wineserver
# The list and log the Windows tests wrote, read back by the Linux build (GBK on both).
ctest_or_report build/release ctest --preset release -R GbkInterop --no-tests=error
echo "windows stage: $(( $(date +%s) - windows_start ))s"
