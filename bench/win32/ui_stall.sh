#!/usr/bin/env bash
# How long Zavro.exe's UI thread ever stands still under Wine, at time scale 1, inside a
# loopback-only network namespace, against the Linux simulator:
#  - the router connection page's 6-second wait: the longest gap between the heartbeats
#    of the UI thread's loop (ZAVRO_HEARTBEAT_MS) from the click on Next to the next page;
#  - a router that never answers: Default on the password page blocks in the check of the
#    password, 10 s later a real click on Exit (Wine's X11 driver on a private Xvfb display,
#    the click through XTest by xdotool); the time from that click to the process's end
#    (and the longest stall meanwhile).
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
  "type 1020 5820" >"$work/exit.txt"
Xvfb :77 -screen 0 1024x768x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
sleep 0.5
# A window manager, as on any desktop (without one Wine waits 2 s whenever a window goes).
DISPLAY=:77 openbox >/dev/null 2>&1 </dev/null &
wm=$!
trap "wineserver -k >/dev/null 2>&1 || true; kill $wm $xvfb 2>/dev/null; rm -rf $work" EXIT
# One run: simulator (fault or none), Zavro.exe with a heartbeat; prints the measures.
python3 - "$exe" "$sim" "$work" "$runs" <<"PY"
import os, subprocess, sys, time
exe, sim, work, runs = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
def now():
    return time.clock_gettime_ns(time.CLOCK_MONOTONIC_RAW)
def await_stamp(log, event, detail, after, limit=60):
    end = time.time() + limit
    while time.time() < end:
        lines = [l.split() for l in open(log)] if os.path.exists(log) else []
        for i, l in enumerate(lines):
            if i >= after and len(l) == 3 and l[0] == event and l[1] == detail:
                return i + 1, int(l[2])
        time.sleep(0.01)
    raise SystemExit(f"no {event} {detail} stamp")
XENV = dict(os.environ, DISPLAY=":77")
def xclick(x, y):
    # At page coordinates: Wine centres the page on the desktop it took at its start.
    origin = {}
    for _ in range(100):
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Zavro$",
                              "getwindowgeometry", "--shell"], env=XENV,
                             capture_output=True, text=True).stdout
        origin = dict(l.split("=", 1) for l in out.split() if "=" in l)
        if "X" in origin: break
        time.sleep(0.05)
    x += int(origin.get("X", 0)); y += int(origin.get("Y", 0))
    subprocess.run(["xdotool", "mousemove", str(x - 2), str(y - 2), "sleep", "0.05",
                    "mousemove", str(x), str(y), "sleep", "0.05"], env=XENV, check=True)
    at = now()
    subprocess.run(["xdotool", "click", "1"], env=XENV, check=True)
    return at
def real_exit(log):
    shown, _ = await_stamp(log, "paint", "CZavroSetPwd", 0)
    time.sleep(0.5)  # the script types the current password
    xclick(570, 504)  # Default
    _, began = await_stamp(log, "wait", "begin", shown)
    time.sleep(10)
    return began, xclick(745, 60)  # Exit; from just before its button is sent
def driver(name):
    # A new Wine server, so that its desktop lives on the display the driver draws on.
    quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wine", "reg", "add", "HKCU\\Software\\Wine\\Drivers", "/v", "Graphics",
                    "/d", name, "/f"], **quiet)
    subprocess.run(["wineserver", "-k"], **quiet)
    subprocess.run(["wineserver", "-w"], **quiet)
    subprocess.run(["wine", "cmd", "/c", "exit", "0"], env=XENV if name == "x11" else None,
                   **quiet)
def run(script, fault, actions=None):
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
    if actions: env["DISPLAY"] = ":77"
    p = subprocess.Popen(["wine", exe], env=env, stdin=subprocess.DEVNULL,
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    acted = actions(log) if actions else None
    code = p.wait(timeout=120)
    # Wine steady clock is CLOCK_MONOTONIC_RAW.
    end = now()
    s.kill(); s.wait()
    lines = [l.split() for l in open(log) if len(l.split()) == 3]
    return code, end, [(a, b, int(c)) for a, b, c in lines], acted
def stall(events, start, stop):
    times = [start] + [t for e, _, t in events if e == "beat" and start < t < stop] + [stop]
    return max(b - a for a, b in zip(times, times[1:])) / 1e6
six, ends = [], []
driver("null")  # whatever an earlier run left set
for _ in range(runs):
    code, end, ev, _ = run(os.path.join(work, "six.txt"), "none")
    clicks = [t for e, d, t in ev if e == "click" and d == "1013"]
    paint = [t for e, d, t in ev if e == "paint" and d == "CZavroSetPwd"][0]
    six.append((stall(ev, clicks[-1], paint), (paint - clicks[-1]) / 1e6))
    driver("x11")
    code, end, ev, (began, click) = run(os.path.join(work, "exit.txt"), "no-answer", real_exit)
    driver("null")
    asked = [t for e, _, t in ev if e == "exit"]
    ends.append(((end - click) / 1e6, stall(ev, began, click), code,
                 (asked[0] - click) / 1e6 if asked else float("nan")))
for s, w in six:
    print(f"6-second wait ({w:.0f} ms from Next to the next page): max UI stall {s:.0f} ms")
for e, s, code, asked in ends:
    print(f"no-answer router, real click on Exit after 10 s: exit during wait {e:.0f} ms (exit code {code}; "
          f"the program asked to end after {asked:.0f} ms), max UI stall {s:.0f} ms")
print(f"worst of {runs}: max UI stall {max(s for s, _ in six):.0f} ms (6-second wait), "
      f"exit during wait {max(e for e, _, _, _ in ends):.0f} ms")
PY
'
unshare --net bash -c "$bench" "$runs" "$exe" "$sim"
