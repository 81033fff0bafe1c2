#!/usr/bin/env bash
# Zavro.exe under Wine against a router that takes the connection and never answers: on
# the admin password page the check of the current password blocks. During that wait the
# page is painted and the message loop turns, a click on Next does nothing, and a click on
# Exit ends the program at once with its exit code 1. Usage:
#   wait_exit_run.sh <Zavro.exe> <zavro-routersim> <work folder>
set -uo pipefail
exe=$1 sim=$2 work=$3
mkdir -p "$work"
rm -f "$work"/{messages.log,output.txt,script.txt,timing.log,wait.png}
port=18120
internet=18121

printf '%s\n' "await-window CZavroWizard 30000" "click 1013" \
  "await-window CZavroARQX" "click 1014" \
  "await-window CZavroQXset" "click 1013" \
  "await-window CZavroSetPwd" "type 1020 5820" "click 1021" \
  "await-busy" "sleep 300" "screenshot $work/wait.png" \
  "click 1013" "sleep 300" "click 1008" "sleep 20000" "quit 0" >"$work/script.txt"

source "$(dirname "$0")/wine_run.sh"
start_simulator $port $internet --fault no-answer
# The 6-second wait runs at a thousandth; the exchange itself is never answered.
run_zavro $port $internet ZAVRO_TIMING_LOG="$work/timing.log" ZAVRO_HEARTBEAT_MS=20

# Beats of the UI thread's loop between the click on Next during the wait and the Exit click.
beats=$(awk '$1 == "click" && $2 == "1013" { on = 1; n = 0 } $1 == "click" && $2 == "1008" { on = 0 }
             on && $1 == "beat" { n++ } END { print n + 0 }' "$work/timing.log" 2>/dev/null)
check "exit code (Exit during the wait)" 1 "$code"
check "the loop turned during the wait" yes "$([ "${beats:-0}" -ge 5 ] && echo yes || echo "no ($beats beats)")"
check "screenshot during the wait" "PNG image data, 800 x 600" "$(file -b "$work/wait.png" | cut -d, -f1-2)"
# A blank or black grab compresses to a few kilobytes; the painted page does not.
check "page painted in the screenshot" yes \
  "$([ "$(stat -c %s "$work/wait.png" 2>/dev/null || echo 0)" -ge 20000 ] && echo yes || echo no)"
finish 0  # Next did nothing: no box either
