#!/usr/bin/env bash
# End-to-end run of Zavro.exe under Wine against the Linux router simulator on loopback:
# from the wizard start page through a new admin password and PPPoE to the completion page,
# whose Finish ends the program with exit code 1. Usage:
#   wizard_run.sh <Zavro.exe> <zavro-routersim> <work folder> [screenshot.png]
set -uo pipefail
exe=$1 sim=$2 work=$3 shot=${4:-}
mkdir -p "$work"
rm -f "$work"/{state.json,messages.log,output.txt,script.txt}
port=18110
internet=18111

{
  printf '%s\n' "await-window CZavroWizard 30000" "click 1013" \
    "await-window CZavroARQX" "click 1014" \
    "await-window CZavroQXset" "click 1013" \
    "await-window CZavroSetPwd" "type 1020 5820" "type 1021 Nw&Pass=77" "type 1022 Nw&Pass=77" \
    "click 1013" \
    "await-window CZavroConnectMode" "click 1019" "click 1013" \
    "await-window CZavroPPPoE" "type 1036 alice@isp.example" "type 1037 s3cret&pw%" \
    "type 1039 1452" "click 1013" \
    "await-window CZavroSuccess" "await-control 1013 30000"
  [ -n "$shot" ] && printf '%s\n' "sleep 1000" "screenshot $shot"
  printf '%s\n' "click 1013" "sleep 10000" "quit 0"
} >"$work/script.txt"

"$sim" --host 127.0.0.1 --port $port --internet-port $internet --model 8 \
  --state-file "$work/state.json" --quiet >/dev/null 2>&1 </dev/null &
simpid=$!
trap 'kill $simpid 2>/dev/null' EXIT
for _ in $(seq 50); do (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null && break; sleep 0.1; done

# No box to close: the messages go to a log; waits run at a thousandth.
ZAVRO_ROUTER=127.0.0.1:$port ZAVRO_HOME_URL=http://127.0.0.1:$internet/ ZAVRO_TIME_SCALE=0.001 \
  ZAVRO_AUTOMATION="$work/script.txt" ZAVRO_AUTOMATION_VERBOSE=1 \
  ZAVRO_MESSAGE_LOG="$work/messages.log" ZAVRO_LOOPBACK_ONLY=1 \
  timeout 120 wine "$exe" >"$work/output.txt" 2>&1 </dev/null
code=$?

fail=0
check() {  # what, expected, actual
  if [ "$2" != "$3" ]; then echo "FAILED: $1: expected '$2', got '$3'"; fail=1; else echo "ok: $1 = $3"; fi
}
value() { grep -o "\"$1\": [^,}]*" "$work/state.json" | head -1 | sed 's/^[^:]*: //; s/"//g'; }
check "exit code (Finish)" 1 "$code"
check "connection type" 3 "$(value wanType)"
check "PPPoE user" alice@isp.example "$(value pppUserName)"
check "PPPoE MTU" 1452 "$(value pppMTU)"
check "admin password changed" false "$(value adminPasswordIsDefault)"
check "restarts" 1 "$(value reboots)"
check "message boxes" 1 "$(wc -l <"$work/messages.log" 2>/dev/null || echo 0)"
check "loopback guard" 0 "$(grep -c non-loopback "$work/output.txt")"
if [ -n "$shot" ]; then
  check "screenshot" "PNG image data, 800 x 600" "$(file -b "$shot" | cut -d, -f1-2)"
fi
[ $fail -eq 0 ] || { echo "--- program output"; cat "$work/output.txt"; }
exit $fail
