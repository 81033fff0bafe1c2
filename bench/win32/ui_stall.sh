#!/usr/bin/env bash
# How long Zavro.exe's UI thread ever stands still under Wine (null graphics driver), at
# time scale 1, inside a loopback-only network namespace, against the Linux simulator:
#  - the router connection page's 6-second wait: the longest gap between the heartbeats
#    of the UI thread's loop (ZAVRO_HEARTBEAT_MS) from the click on Next to the next page;
#  - a router that never answers: the admin password check blocks, 10 s later a click on
#    Exit; the time from that click to the process's end (and the longest stall meanwhile).
# Run scripts/wine-test.sh first (it builds the exe, the simulator and the Wine prefix).
# Usage: bench/win32/ui_stall.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/../.."
runs="${1:-3}"
exe=build/win64/medium/Wizard/Zavro.exe
sim=build/dev/bin/zavro-routersim
[ -f "$exe" ] && [ -x "$sim" ] || { echo "no $exe or $sim: run scripts/wine-test.sh first"; exit 1; }
export WINEPREFIX=$PWD/build/win64/.wine WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY ZAVRO_TIME_SCALE
bench='
set -euo pipefail
ip link set lo up
runs=$0 exe=$1 sim=$2
work=$(mktemp -d)
trap "wineserver -k >/dev/null 2>&1 || true; rm -rf $work" EXIT
wineserver -p >/dev/null 2>&1 </dev/null
wine cmd /c exit 0 >/dev/null 2>&1 </dev/null || true  # Wine services up before timing
printf "%s\n" "await-window CZavroWizard 30000" "click 1013" "await-window CZavroARQX" \
  "click 1014" "await-window CZavroQXset" "click 1013" "await-window CZavroSetPwd 30000" \
  "quit 0" >"$work/six.txt"
printf "%s\n" "await-window CZavroWizard 30000" "click 1013" "await-window CZavroARQX" \
  "click 1014" "await-window CZavroQXset" "click 1013" "await-window CZavroSetPwd 30000" \
  "type 1020 5820" "click 1021" "await-busy" "sleep 10000" "click 1008" "sleep 60000" \
  "quit 0" >"$work/exit.txt"
# One run: simulator (fault or none), Zavro.exe with a heartbeat; prints the measures.
python3 - "$exe" "$sim" "$work" "$runs" <<"PY"
import os, subprocess, sys, time
exe, sim, work, runs = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
def run(script, fault):
    log = os.path.join(work, "timing.log")
    if os.path.exists(log): os.remove(log)
    s = subprocess.Popen([sim, "--host", "127.0.0.1", "--port", "18130", "--internet-port",
                          "18131", "--model", "8", "--fault", fault, "--quiet"],
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(0.3)
    env = dict(os.environ, ZAVRO_ROUTER="127.0.0.1:18130",
               ZAVRO_HOME_URL="http://127.0.0.1:18131/", ZAVRO_AUTOMATION=script,
               ZAVRO_MESSAGE_LOG=os.path.join(work, "messages.log"), ZAVRO_LOOPBACK_ONLY="1",
               ZAVRO_TIMING_LOG=log, ZAVRO_HEARTBEAT_MS="10")
    p = subprocess.Popen(["wine", exe], env=env, stdin=subprocess.DEVNULL,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    code = p.wait(timeout=120)
    # Wine steady clock is CLOCK_MONOTONIC_RAW.
    end = time.clock_gettime_ns(time.CLOCK_MONOTONIC_RAW)
    s.kill(); s.wait()
    lines = [l.split() for l in open(log) if len(l.split()) == 3]
    return code, end, [(a, b, int(c)) for a, b, c in lines]
def stall(events, start, stop):
    times = [start] + [t for e, _, t in events if e == "beat" and start < t < stop] + [stop]
    return max(b - a for a, b in zip(times, times[1:])) / 1e6
six, ends = [], []
for _ in range(runs):
    code, end, ev = run(os.path.join(work, "six.txt"), "none")
    clicks = [t for e, d, t in ev if e == "click" and d == "1013"]
    paint = [t for e, d, t in ev if e == "paint" and d == "CZavroSetPwd"][0]
    six.append((stall(ev, clicks[-1], paint), (paint - clicks[-1]) / 1e6))
    code, end, ev = run(os.path.join(work, "exit.txt"), "no-answer")
    click = [t for e, d, t in ev if e == "click" and d == "1008"][0]
    paint = [t for e, d, t in ev if e == "paint" and d == "CZavroSetPwd"][0]
    ends.append(((end - click) / 1e6, stall(ev, paint, click), code))
for s, w in six:
    print(f"6-second wait ({w:.0f} ms from Next to the next page): max UI stall {s:.0f} ms")
for e, s, code in ends:
    print(f"no-answer router, Exit after 10 s: exit during wait {e:.0f} ms (exit code {code}), "
          f"max UI stall {s:.0f} ms")
print(f"worst of {runs}: max UI stall {max(s for s, _ in six):.0f} ms (6-second wait), "
      f"exit during wait {max(e for e, _, _ in ends):.0f} ms")
PY
'
unshare --net bash -c "$bench" "$runs" "$exe" "$sim"
