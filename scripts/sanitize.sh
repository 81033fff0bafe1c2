#!/usr/bin/env bash
# Builds the asan preset (ASan+UBSan, whole suite) and the tsan preset (the threaded parts:
# animation workers, result-page workers, the failure page's diagnosis, wait-dialog timers,
# the upload runner, the blocking run of the UI toolkits, the Qt one included) and runs
# both inside a fresh loopback-only network namespace, as scripts/test.sh does.
# Usage: scripts/sanitize.sh [asan|tsan]   (default: both)
set -euo pipefail
cd "$(dirname "$0")/.."
which="${1:-both}"
scripts/install-deps.sh
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# The threaded tests, by name.
tsan_filter='Blocking|Diagnosis|FailureCause|Gif|Picture|Animation|Result|Success|Wait|Upload|Firm|Worker|Clock|Socket|Timer'
tsan_targets=(zavro_unit_tests zavro_pages_tests zavro_wire_tests zavro_gui_tests)

if [ "$which" != tsan ]; then
  cmake --preset asan "${launcher[@]}" >/dev/null
  cmake --build build/asan -j 2
fi
if [ "$which" != asan ]; then
  cmake --preset tsan "${launcher[@]}" >/dev/null
  cmake --build build/tsan -j 2 --target "${tsan_targets[@]}"
fi

run_suites='
set -euo pipefail
ip link set lo up
others=$(ip -o link show | awk -F": " "{print \$2}" | grep -v "^lo$" || true)
if [ -n "$others" ]; then echo "refusing to test: interfaces besides lo: $others"; exit 1; fi
export QT_QPA_PLATFORM=offscreen
which="$0"; filter="$1"
if [ "$which" != tsan ]; then
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --preset asan -j 2 --timeout 300
fi
if [ "$which" != asan ]; then
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/scripts/tsan.supp" \
    ctest --test-dir build/tsan -j 2 --timeout 300 --output-on-failure -R "$filter" \
      -L "^(unit|pages|wire|gui)$"
fi
'
if unshare --net true 2>/dev/null; then
  unshare --net bash -c "$run_suites" "$which" "$tsan_filter"
elif unshare -rn true 2>/dev/null; then
  unshare -rn bash -c "$run_suites" "$which" "$tsan_filter"
else
  echo "Network namespaces are not available here: running with the loopback guard only."
  bash -c "${run_suites/ip link set lo up/true}" "$which" "$tsan_filter"
fi
