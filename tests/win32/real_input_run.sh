#!/usr/bin/env bash
# Zavro.exe under Wine's X11 driver on a private Xvfb display with a window manager, driven
# by real pointer events
# through the X server (XTest, by xdotool): Exit ends the program at once during
#  (a) the router connection page's 6-second address wait (time scale 1);
#  (b) the password check of Default against a router that never answers, where Next
#      does nothing;
#  (c) the password check started by a real click into the new-password field (the edit
#      takes the mouse capture as the wait begins);
#  (d) as (b), Exit given the keyboard focus first: Enter on it ends the program during the
#      wait, while a Tab meanwhile is dropped (the focus stays).
# The automation script only brings the program to the page. Usage:
#   real_input_run.sh <Zavro.exe> <zavro-routersim> <work folder>
set -uo pipefail
exe=$1 sim=$2 work=$3
mkdir -p "$work"
port=18140
internet=18141
source "$(dirname "$0")/wine_run.sh"

start_display

# click x y: at page coordinates of the visible page (Wine centres it on the desktop size
# it took at its start), with a small motion first, as a hand gives (Wine wants one before
# a click into a window that just appeared).
click() {
  local X="" Y="" WINDOW
  for _ in $(seq 100); do  # Wine maps a shown window on the X server a little later
    eval "$(xdotool search --onlyvisible --name '^Zavro$' getwindowgeometry --shell 2>/dev/null |
      grep -E '^(X|Y|WINDOW)=[0-9]+$' | tail -3)"
    [ -n "$X" ] && break
    sleep 0.05
  done
  local x=$((X + $1)) y=$((Y + $2))
  xdotool mousemove $((x - 2)) $((y - 2)) sleep 0.05 mousemove "$x" "$y" sleep 0.05 click 1
}
# run_case <name> <time scale> <simulator fault> <actions...>: the program in the
# background on the display; the actions run meanwhile; sets $code.
run_case() {
  local name=$1 scale=$2 fault=$3
  shift 3
  rm -f "$work"/{messages.log,output.txt,timing.log}
  start_simulator $port $internet ${fault:+--fault "$fault"}
  env ZAVRO_ROUTER=127.0.0.1:$port ZAVRO_HOME_URL=http://127.0.0.1:$internet/ \
    ZAVRO_TIME_SCALE="$scale" ZAVRO_AUTOMATION="$work/script.txt" \
    ZAVRO_MESSAGE_LOG="$work/messages.log" ZAVRO_LOOPBACK_ONLY=1 \
    ZAVRO_TIMING_LOG="$work/timing.log" ZAVRO_HEARTBEAT_MS=20 \
    timeout 120 wine "$exe" >"$work/output.txt" 2>&1 </dev/null &
  local program=$!
  "$@"
  wait $program
  code=$?
  kill "$simpid" 2>/dev/null
  wait "$simpid" 2>/dev/null
  echo "-- $name"
}

to_qxset=("await-window CZavroWizard 30000" "click 1013" "await-window CZavroARQX" "click 1014"
  "await-window CZavroQXset")
to_password=("${to_qxset[@]}" "click 1013" "await-window CZavroSetPwd 30000" "type 1020 5820")

# (a) Next, then Exit 1 s into the 6-second wait.
address_wait() {
  local shown
  shown=$(await "paint CZavroQXset") || return
  click 644 505
  await "wait begin" "$shown" >/dev/null || return
  sleep 1
  click 745 60
}
printf '%s\n' "${to_qxset[@]}" >"$work/script.txt"
run_case "address wait" 1 "" address_wait
check "exit code (Exit during the address wait)" 1 "$code"
check "the password page never came" 0 "$(grep -c '^paint CZavroSetPwd' "$work/timing.log")"

# (b) Default against a silent router; Next during the wait does nothing.
silent_default() {
  local shown
  shown=$(await "paint CZavroSetPwd") || return
  sleep 0.5  # the script types the current password
  click 570 504
  await "wait begin" "$shown" >/dev/null || return
  click 644 505
  click 745 60
}
printf '%s\n' "${to_password[@]}" >"$work/script.txt"
run_case "silent router, Default" 0.001 no-answer silent_default
check "exit code (Exit during the check of Default)" 1 "$code"
beats=$(awk '$1 == "wait" && $2 == "begin" { on = 1 } on && $1 == "beat" { n++ }
             END { print n + 0 }' "$work/timing.log")
check "the loop turned during the wait" yes "$([ "$beats" -ge 5 ] && echo yes || echo "no ($beats)")"
check "no box (Next did nothing)" 0 "$([ -f "$work/messages.log" ] && wc -l <"$work/messages.log" || echo 0)"

# (d) Shift+Tab from the current password is Exit; a click on Default moves no focus.
keyboard_exit() {
  local shown
  shown=$(await "paint CZavroSetPwd") || return
  sleep 0.5
  xdotool key shift+Tab
  click 570 504
  await "wait begin" "$shown" >/dev/null || return
  click 644 505
  xdotool key Tab Return
}
run_case "silent router, Exit by keys" 0.001 no-answer keyboard_exit
check "exit code (Enter on Exit during the check of Default)" 1 "$code"
check "no box (Next did nothing)" 0 "$([ -f "$work/messages.log" ] && wc -l <"$work/messages.log" || echo 0)"

# (c) A real click into the new-password field starts the check; Exit during it.
new_password_field() {
  local shown
  shown=$(await "paint CZavroSetPwd") || return
  sleep 0.5
  click 465 343
  await "wait begin" "$shown" >/dev/null || return
  click 745 60
}
run_case "silent router, new-password field" 0.001 no-answer new_password_field
check "exit code (Exit during the check of the new-password field)" 1 "$code"

stop_display
finish 0
