# Shared by the whole-program runs of Zavro.exe under Wine (sourced, not run): the Linux
# simulator on loopback, the program with its automation script, a display for real input,
# and the checks.

# start_simulator <port> <internet port> [simulator options...]; needs $sim.
start_simulator() {
  local port=$1 internet=$2
  shift 2
  "$sim" --host 127.0.0.1 --port "$port" --internet-port "$internet" --model 8 "$@" \
    --quiet >/dev/null 2>&1 </dev/null &
  simpid=$!
  trap 'kill $simpid 2>/dev/null' EXIT
  for _ in $(seq 50); do (exec 3<>/dev/tcp/127.0.0.1/"$port") 2>/dev/null && break; sleep 0.1; done
}

# run_zavro <port> <internet port> [VAR=value...]: runs $exe with $work/script.txt, no box
# to close (the messages go to a log) and waits at a thousandth; sets $code.
run_zavro() {
  local port=$1 internet=$2
  shift 2
  env ZAVRO_ROUTER=127.0.0.1:"$port" ZAVRO_HOME_URL=http://127.0.0.1:"$internet"/ \
    ZAVRO_TIME_SCALE=0.001 ZAVRO_AUTOMATION="$work/script.txt" ZAVRO_AUTOMATION_VERBOSE=1 \
    ZAVRO_MESSAGE_LOG="$work/messages.log" ZAVRO_LOOPBACK_ONLY=1 "$@" \
    timeout 120 wine "$exe" >"$work/output.txt" 2>&1 </dev/null
  code=$?
}

fail=0
check() {  # what, expected, actual
  if [ "$2" != "$3" ]; then echo "FAILED: $1: expected '$2', got '$3'"; fail=1; else echo "ok: $1 = $3"; fi
}

# The common checks, then the program's output on a failure; ends the script.
finish() {
  local boxes=0
  [ -f "$work/messages.log" ] && boxes=$(wc -l <"$work/messages.log")
  check "message boxes" "$1" "$boxes"
  check "loopback guard" 0 "$(grep -c non-loopback "$work/output.txt")"
  [ $fail -eq 0 ] || { echo "--- program output"; cat "$work/output.txt"; }
  exit $fail
}

# start_display: a private Xvfb display with a window manager, and Wine started anew on it;
# needs $work. stop_display ends all three.
start_display() {
  # A free display, which the server picks and tells.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
  display=:$(head -1 "$work/display")
  export DISPLAY=$display
  # A window manager, as on any desktop: without one, Wine waits two seconds for it whenever
  # a shown window goes away (a page closing, Exit).
  openbox >/dev/null 2>&1 </dev/null &
  wm=$!
  # A Wine server started before (with no display) keeps its desktop there: start anew, so
  # that the desktop and every window of this run live on this display, and have Wine's
  # services up before the first timed step.
  wineserver -k >/dev/null 2>&1 </dev/null || true
  wineserver -w >/dev/null 2>&1 </dev/null || true
  wine cmd /c exit 0 >/dev/null 2>&1 </dev/null || true
}
stop_display() {
  wineserver -k >/dev/null 2>&1 </dev/null || true  # nothing of Wine outlives the display
  kill $wm $xvfb 2>/dev/null
  wait $xvfb 2>/dev/null
}

# await <stamp prefix> [after line]: the line number of that stamp in $work/timing.log.
await() {
  local n
  for _ in $(seq 600); do
    n=$(awk -v p="$1" -v a="${2:-0}" 'NR > a && index($0, p) == 1 { print NR; exit }' \
      "$work/timing.log" 2>/dev/null)
    [ -n "$n" ] && { echo "$n"; return 0; }
    sleep 0.05
  done
  echo "FAILED: no '$1' in the timing log" >&2
  echo 0
  return 1
}
