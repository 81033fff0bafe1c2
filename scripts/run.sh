#!/usr/bin/env bash
# Builds and runs the wizard from the assembled demo medium, against the bundled router
# simulator on loopback. Options:
#   --real-router   talk to the real router (192.168.2.1) instead of the simulator
#   --model N       the simulator's router model code (default 8)
# Any other arguments go to the wizard (e.g. "Spanish"). ZAVRO_TIME_SCALE (default 0.02
# here) shortens the router waits; ZAVRO_TIME_SCALE=1 waits as long as a real router.
set -euo pipefail
cd "$(dirname "$0")/.."
real=0
model=8
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --real-router) real=1 ;;
    --model) model="$2"; shift ;;
    *) args+=("$1") ;;
  esac
  shift
done
scripts/install-deps.sh
cmake --preset dev >/dev/null
cmake --build --preset dev -j 2
build=build/dev
program_dir="$build/medium/Wizard"

sim_pid=""
cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true; }
trap cleanup EXIT
if [ "$real" = 0 ]; then
  log=$(mktemp)
  "$build/bin/zavro-routersim" --host 127.0.0.1 --port 0 --internet-port 0 \
    --model "$model" --reboot-down-ms 2000 >"$log" 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do grep -q "listening on" "$log" && break; sleep 0.05; done
  line=$(grep -m1 "listening on" "$log") || { cat "$log"; echo "the simulator did not start"; exit 1; }
  echo "$line"
  router=$(echo "$line" | sed -E 's/.*listening on ([^ ]+) internet ([^ ]+).*/\1/')
  internet=$(echo "$line" | sed -E 's/.*listening on ([^ ]+) internet ([^ ]+).*/\2/')
  export ZAVRO_ROUTER="$router"
  export ZAVRO_HOME_URL="http://$internet/"
fi
export ZAVRO_TIME_SCALE="${ZAVRO_TIME_SCALE:-0.02}"

cd "$program_dir"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  ./zavro "${args[@]}"
else
  shot="$PWD/../../wizard-start.png"
  script=$(mktemp)
  printf 'await-window CZavroWizard 10000\nsleep 300\nscreenshot %s\nquit 0\n' "$shot" >"$script"
  echo "No display: running the wizard under Xvfb; it shows the start page, saves a screenshot and ends."
  ZAVRO_AUTOMATION="$script" xvfb-run -a -s "-screen 0 1280x1024x24" ./zavro "${args[@]}" || true
  echo "Screenshot of the wizard start page: $(realpath "$shot")"
fi
