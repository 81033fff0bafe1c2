#!/usr/bin/env bash
# Start-up of Zavro.exe under Wine (null graphics driver): wall time from starting the
# program to its wizard start page shown and the program ended again, over N runs, inside
# a loopback-only network namespace. Run scripts/wine-test.sh first (it builds the exe and
# the Wine prefix). Usage: bench/win32/startup.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/../.."
runs="${1:-10}"
exe=build/win64/medium/Wizard/Zavro.exe
[ -f "$exe" ] || { echo "no $exe: run scripts/wine-test.sh first"; exit 1; }
export WINEPREFIX=$PWD/build/win64/.wine WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
bench='
set -euo pipefail
ip link set lo up
runs=$0 exe=$1
script=$(mktemp)
printf "%s\n" "await-window CZavroWizard 30000" "quit 0" >"$script"
wineserver -p >/dev/null 2>&1 </dev/null
wine cmd /c exit 0 >/dev/null 2>&1 </dev/null || true  # Wine services up before timing
times=()
for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  ZAVRO_AUTOMATION=$script wine "$exe" >/dev/null 2>&1 </dev/null
  times+=($(( ($(date +%s%N) - start) / 1000000 )))
done
wineserver -k || true
rm -f "$script"
sorted=($(printf "%s\n" "${times[@]}" | sort -n))
n=${#sorted[@]}
echo "Zavro.exe $(stat -c %s "$exe") bytes"
echo "start to first page and exit under Wine, $n runs: median ${sorted[$((n / 2))]} ms," \
  "min ${sorted[0]} ms, max ${sorted[$((n - 1))]} ms"
'
unshare --net bash -c "$bench" "$runs" "$exe"
