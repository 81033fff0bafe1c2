#!/usr/bin/env bash
# Builds the libFuzzer targets (preset fuzz, clang) and runs each for the given seconds
# (default 30), two at a time, inside a loopback-only network namespace. Prints the
# executions per target; a crash leaves its input in build/fuzz/findings/<target>/.
# Usage: scripts/fuzz.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
ZAVRO_FUZZ=1 scripts/install-deps.sh
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake --preset fuzz "${launcher[@]}" >/dev/null
cmake --build build/fuzz -j 2 --target zavro_fuzz
targets=$(sed -n '/^set(ZAVRO_FUZZ_TARGETS/,/)/p' fuzz/CMakeLists.txt | tr -d '()' |
  tr ' ' '\n' | grep -v -e '^set' -e ZAVRO_FUZZ_TARGETS -e '^$')

run_all='
set -uo pipefail
ip link set lo up 2>/dev/null || true
others=$(ip -o link show 2>/dev/null | awk -F": " "{print \$2}" | grep -v "^lo$" || true)
if [ -n "$others" ]; then echo "refusing to fuzz: interfaces besides lo: $others"; exit 1; fi
seconds="$0"
one() {
  t="$1"; work="build/fuzz/work/$t"; found="build/fuzz/findings/$t"
  mkdir -p "$work" "$found"
  build/fuzz/fuzz/fuzz_"$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$found/" \
    "$work" fuzz/corpus/"$t" >"build/fuzz/$t.log" 2>&1
  rc=$?
  execs=$(grep -m1 "stat::number_of_executed_units" "build/fuzz/$t.log" | awk "{print \$2}")
  rate=$(grep -m1 "stat::average_exec_per_sec" "build/fuzz/$t.log" | awk "{print \$2}")
  if [ $rc -eq 0 ]; then s=ok; else s="FAILED (rc $rc, see build/fuzz/$t.log)"; fi
  printf "%-14s %10s execs %7s/s  %s\n" "$t" "${execs:-?}" "${rate:-?}" "$s"
  return $rc
}
fail=0
set -- "$@"
while [ $# -gt 0 ]; do
  one "$1" & a=$!
  b=""
  if [ $# -gt 1 ]; then one "$2" & b=$!; shift; fi
  shift
  wait $a || fail=1
  [ -n "$b" ] && { wait $b || fail=1; }
done
exit $fail
'
# shellcheck disable=SC2086
if unshare -rn true 2>/dev/null; then
  unshare -rn bash -c "$run_all" "$seconds" $targets
else
  echo "Network namespaces are not available here: running with the loopback guard only."
  bash -c "$run_all" "$seconds" $targets
fi
