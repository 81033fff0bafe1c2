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

source "$(dirname "$0")/wine_run.sh"
start_simulator $port $internet --state-file "$work/state.json"
run_zavro $port $internet

value() { grep -o "\"$1\": [^,}]*" "$work/state.json" | head -1 | sed 's/^[^:]*: //; s/"//g'; }
check "exit code (Finish)" 1 "$code"
check "connection type" 3 "$(value wanType)"
check "PPPoE user" alice@isp.example "$(value pppUserName)"
check "PPPoE MTU" 1452 "$(value pppMTU)"
check "admin password changed" false "$(value adminPasswordIsDefault)"
check "restarts" 1 "$(value reboots)"
if [ -n "$shot" ]; then
  check "screenshot" "PNG image data, 800 x 600" "$(file -b "$shot" | cut -d, -f1-2)"
fi
finish 1
