#!/usr/bin/env bash
# Zavro.exe with the keyboard alone, under Wine's X11 driver on a private Xvfb display with a
# window manager: real key events through the X server (XTest, by xdotool) take the PPPoE
# road from the start page to the completion page with Tab, Shift+Tab, Enter, Space and
# typing, then Exit reached by Tab ends the program with code 1. The router simulator must
# receive the same requests, in the same order, as on the same road clicked by the
# automation script. On every page, what a screen reader reads (oleacc, from another
# process) must name every control, and its push buttons must be the ones that the
# expected file lists for that page. Usage:
#   keyboard_run.sh <Zavro.exe> <zavro-routersim> <access dump.exe> <expected file> <work folder>
set -uo pipefail
exe=$1 sim=$2 dump=$3 expected=$4 work=$5
mkdir -p "$work"
port=18150
internet=18151
source "$(dirname "$0")/wine_run.sh"

user=alice@isp.example
secret='s3cret&pw%'
newpw='Nw&Pass=77'
mtu=1452

start_display

# The simulator, logging every request it answers.
start_logging_simulator() {
  rm -f "$work/state.json"
  "$sim" --host 127.0.0.1 --port $port --internet-port $internet --model 8 \
    --state-file "$work/state.json" >/dev/null 2>"$1" </dev/null &
  simpid=$!
  trap 'kill $simpid 2>/dev/null' EXIT
  for _ in $(seq 50); do (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null && break; sleep 0.1; done
}
stop_simulator() {
  kill "$simpid" 2>/dev/null
  wait "$simpid" 2>/dev/null
}
requests() { grep -- ' -> ' "$1" | sed 's/^routersim: //'; }

# Keys go where the X server's focus is: wait until that is the program's page.
focused() {
  for _ in $(seq 100); do
    [ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = Zavro ] && return 0
    sleep 0.05
  done
  echo "FAILED: the page never had the X focus"
  fail=1
  return 1
}
key() { xdotool key --delay 60 "$@"; }
typed() { xdotool type --delay 40 -- "$1"; }
# read_page <class>: the oleacc dump of the visible page, kept per page.
read_page() {
  wine "$dump" >"$work/page-$1.txt" 2>/dev/null </dev/null
  local status=$?
  [ $status -eq 0 ] || { echo "FAILED: reading $1 (status $status)"; cat "$work/page-$1.txt"; fail=1; }
  tr -d '\r' <"$work/page-$1.txt" >"$work/page-$1.tmp" && mv "$work/page-$1.tmp" "$work/page-$1.txt"
}
focus_of() { sed -n 's/^focus: \([0-9]*\).*/\1/p' "$work/page-$1.txt"; }
# What a page shows against what the expected file gives for it: its name and description,
# and its push buttons and fields in any order (the readers' orders differ).
page_read() {
  grep -E '^(name|description|button|field): ' "$work/page-$1.txt" | sort
}
page_expected() {
  awk -v p="# page $1" '$0 == p { on = 1; next } /^# / { on = 0 }
    on && /^(name|description|button|field): / { print }' "$expected" | sort
}
compare_page() {
  local shown want
  shown=$(page_read "$1")
  want=$(page_expected "$1")
  if [ -z "$want" ] || [ "$shown" != "$want" ]; then
    echo "FAILED: what a reader gets of $1 differs from $expected:"
    diff <(echo "$want") <(echo "$shown") | sed 's/^/  /'
    fail=1
  else
    echo "ok: $1 reads as expected ($(grep -c '^button: ' <<<"$shown") buttons)"
  fi
}

# 1. The road clicked by the automation script, for the requests it makes.
printf '%s\n' "await-window CZavroWizard 30000" "click 1013" "await-window CZavroARQX" \
  "click 1014" "await-window CZavroQXset" "click 1013" \
  "await-window CZavroSetPwd" "type 1020 5820" "type 1021 $newpw" "type 1022 $newpw" \
  "click 1013" "await-window CZavroConnectMode" "click 1019" "click 1013" \
  "await-window CZavroPPPoE" "type 1036 $user" "type 1037 $secret" "type 1039 $mtu" \
  "click 1013" "await-window CZavroSuccess" "await-control 1013 30000" "click 1008" \
  "sleep 10000" "quit 0" >"$work/script.txt"
start_logging_simulator "$work/clicked-sim.log"
run_zavro $port $internet
stop_simulator
check "exit code (Exit after the clicked road)" 1 "$code"
cp "$work/state.json" "$work/clicked-state.json" 2>/dev/null

# 2. The same road by keys.
rm -f "$work"/{messages.log,output.txt,timing.log,page-*.txt}
start_logging_simulator "$work/keyed-sim.log"
env ZAVRO_ROUTER=127.0.0.1:$port ZAVRO_HOME_URL=http://127.0.0.1:$internet/ \
  ZAVRO_TIME_SCALE=0.001 ZAVRO_MESSAGE_LOG="$work/messages.log" ZAVRO_LOOPBACK_ONLY=1 \
  ZAVRO_TIMING_LOG="$work/timing.log" \
  timeout 150 wine "$exe" >"$work/output.txt" 2>&1 </dev/null &
program=$!

road() {
  local at
  at=$(await "paint CZavroWizard") && focused || return
  read_page CZavroWizard
  check "start page: focus on Next" 1013 "$(focus_of CZavroWizard)"
  key Return
  at=$(await "paint CZavroARQX" "$at") && focused || return
  read_page CZavroARQX
  check "cable page: focus on its Next" 1014 "$(focus_of CZavroARQX)"
  key Return
  at=$(await "paint CZavroQXset" "$at") && focused || return
  read_page CZavroQXset
  key Return
  at=$(await "paint CZavroSetPwd" "$at") && focused || return
  read_page CZavroSetPwd
  check "password page: focus in the current password" 1020 "$(focus_of CZavroSetPwd)"
  typed 5820
  key Tab  # into the new password: the current one is checked first
  at=$(await "wait end" "$at") || return
  typed "$newpw"
  key Tab
  typed "$newpw"
  key Tab Tab  # past Default to Next
  read_page CZavroSetPwd-Next
  check "password page: two Tabs from the last field reach Next" 1013 "$(focus_of CZavroSetPwd-Next)"
  key Return
  at=$(await "paint CZavroConnectMode" "$at") && focused || return
  read_page CZavroConnectMode
  key shift+Tab
  read_page CZavroConnectMode-PPPoE
  check "connection type: Shift+Tab reaches PPPoE" 1019 "$(focus_of CZavroConnectMode-PPPoE)"
  key space Tab
  read_page CZavroConnectMode-Next
  check "connection type: Tab goes back to Next" 1013 "$(focus_of CZavroConnectMode-Next)"
  key Return
  at=$(await "paint CZavroPPPoE" "$at") && focused || return
  read_page CZavroPPPoE
  check "PPPoE page: focus in the user name" 1036 "$(focus_of CZavroPPPoE)"
  typed "$user"
  key Tab
  typed "$secret"
  key Tab Tab
  typed "$mtu"
  # The idle time is off while the connection is kept up: Tab skips it.
  key Tab Tab Tab
  read_page CZavroPPPoE-Next
  check "PPPoE page: three Tabs from the MTU reach Next" 1013 "$(focus_of CZavroPPPoE-Next)"
  key Return
  at=$(await "paint CZavroSuccess" "$at") && focused || return
  # Finish shows once the router has restarted and the Internet answers.
  local shown=0
  for _ in $(seq 100); do
    read_page CZavroSuccess
    [ "$(grep -c '^button: ' "$work/page-CZavroSuccess.txt")" -gt 3 ] && { shown=1; break; }
    sleep 0.1
  done
  check "completion page: its buttons came" 1 "$shown"
  # Exit by keys: Tab until it has the focus.
  local steps=0
  while [ "$(focus_of CZavroSuccess)" != 1008 ] && [ $steps -lt 20 ]; do
    key Tab
    steps=$((steps + 1))
    read_page CZavroSuccess
  done
  check "completion page: Tab reaches Exit" 1008 "$(focus_of CZavroSuccess)"
  [ "$(focus_of CZavroSuccess)" = 1008 ] || return
  key Return
}
# A road that went astray leaves the program waiting for keys that never come.
road || wineserver -k >/dev/null 2>&1 </dev/null
wait $program
code=$?
stop_simulator
check "exit code (Exit by keys)" 1 "$code"
check "message box of the password change" 1 \
  "$(grep -c . "$work/messages.log" 2>/dev/null || echo 0)"
if diff <(requests "$work/clicked-sim.log") <(requests "$work/keyed-sim.log") >"$work/requests.diff"; then
  echo "ok: the same $(requests "$work/keyed-sim.log" | wc -l) requests as the clicked road"
else
  echo "FAILED: the requests differ from the clicked road's:"
  sed 's/^/  /' "$work/requests.diff"
  fail=1
fi
check "router state as after the clicked road" same \
  "$(cmp -s "$work/clicked-state.json" "$work/state.json" && echo same || echo different)"

for page in CZavroWizard CZavroARQX CZavroQXset CZavroSetPwd CZavroConnectMode CZavroPPPoE \
  CZavroSuccess; do
  compare_page $page
done

stop_display
[ $fail -eq 0 ] || { echo "--- program output"; cat "$work/output.txt"; }
exit $fail
