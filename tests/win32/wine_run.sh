# Shared by the whole-program runs of Zavro.exe under Wine (sourced, not run): the Linux
# simulator on loopback, the program with its automation script, and the checks.

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
