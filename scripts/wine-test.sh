#!/usr/bin/env bash
# Cross-builds Zavro's Windows build with MinGW-w64 into build/win64 and runs its suites
# under Wine inside a fresh network namespace that has nothing but loopback (as
# scripts/test.sh does). The Linux router simulator, built into build/dev, serves the
# WinINet tests on a loopback port. Usage: scripts/wine-test.sh [ctest args]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

packages=(g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth xdotool openbox googletest)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends "${missing[@]}" >/dev/null
fi

launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# The simulator is a Linux program, and the medium's pictures and texts come from the
# Linux build's demo medium.
cmake --preset dev "${launcher[@]}" >/dev/null
cmake --build build/dev -j 2 --target zavro-routersim medium
cmake -S . -B build/win64 -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake "${launcher[@]}" \
  -DZAVRO_LINUX_MEDIUM="$root/build/dev/medium" \
  -DZAVRO_SIMULATOR="$root/build/dev/bin/zavro-routersim" >/dev/null
cmake --build build/win64 -j 2

export WINEPREFIX=$root/build/win64/.wine WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY http_proxy https_proxy HTTP_PROXY HTTPS_PROXY no_proxy

run_suite='
set -euo pipefail
ip link set lo up
others=$(ip -o link show | awk -F": " "{print \$2}" | grep -v "^lo$" || true)
if [ -n "$others" ]; then echo "refusing to test: interfaces besides lo: $others"; exit 1; fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1 </dev/null || true
  wineserver -w
  # The null graphics driver: window code runs without any display.
  wine reg add "HKCU\\Software\\Wine\\Drivers" /v Graphics /d null /f >/dev/null 2>&1 </dev/null
  wineserver -w
fi
# A persistent server with detached output, so that Wine services keep no ctest pipe open.
wineserver -p >/dev/null 2>&1 </dev/null
# Wine starts its services with the first program: let that one have no ctest pipe either.
wine cmd /c exit 0 >/dev/null 2>&1 </dev/null || true
trap "wineserver -k >/dev/null 2>&1 || true; kill \$sim 2>/dev/null || true" EXIT
port=18000
build/dev/bin/zavro-routersim --host 127.0.0.1 --port $port --quiet >/dev/null 2>&1 </dev/null &
sim=$!
export ZAVRO_SIM_PORT=$port
for _ in $(seq 50); do (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null && break; sleep 0.1; done
cd build/win64
ctest -j 2 --output-on-failure --timeout 300 "$@"
# Once more with Wine reporting Windows 98: the version class takes the 98/Me path.
wine reg add "HKCU\\Software\\Wine" /v Version /d win98 /f >/dev/null 2>&1 </dev/null
status=0
ZAVRO_EXPECT_WINVER=win98 wine tests/win32/zavro_win32_tests.exe --gtest_filter="Win32SystemTest.*" \
  >win98.log 2>&1 </dev/null || status=$?
wine reg delete "HKCU\\Software\\Wine" /v Version /f >/dev/null 2>&1 </dev/null || true
tail -3 win98.log
[ $status -eq 0 ] || exit $status
# One run on a real display: X11 driver under Xvfb, a screenshot of the wizard start page.
wine reg add "HKCU\\Software\\Wine\\Drivers" /v Graphics /d x11 /f >/dev/null 2>&1 </dev/null
printf "%s\n" "await-window CZavroWizard 30000" "sleep 1500" \
  "screenshot $PWD/wine-wizard-start.png" "quit 0" >screenshot-script.txt
rm -f wine-wizard-start.png
ZAVRO_AUTOMATION=$PWD/screenshot-script.txt xvfb-run -a -s "-screen 0 1024x768x24" \
  timeout 120 wine medium/Wizard/Zavro.exe >screenshot.log 2>&1 </dev/null || status=$?
# Real pointer and key events through an X server (XTest) while the program waits.
bash ../../tests/win32/real_input_run.sh "$PWD/medium/Wizard/Zavro.exe" ../dev/bin/zavro-routersim \
  "$PWD/real-input-run" || status=$?
# The PPPoE road by real keys alone, and what a screen reader reads on each page.
bash ../../tests/win32/keyboard_run.sh "$PWD/medium/Wizard/Zavro.exe" ../dev/bin/zavro-routersim \
  "$PWD/tests/win32/zavro_access_dump.exe" ../../tests/access/pppoe-road-en.txt \
  "$PWD/keyboard-run" || status=$?
wine reg add "HKCU\\Software\\Wine\\Drivers" /v Graphics /d null /f >/dev/null 2>&1 </dev/null
shot=$(file -b wine-wizard-start.png 2>/dev/null | cut -d, -f1-2)
echo "screenshot under Xvfb: build/win64/wine-wizard-start.png ($shot)"
# A black or blank grab compresses to a few kilobytes; the painted page does not.
bytes=$(stat -c %s wine-wizard-start.png 2>/dev/null || echo 0)
if [ "$shot" != "PNG image data, 800 x 600" ] || [ "$bytes" -lt 20000 ]; then
  echo "screenshot missing or blank ($bytes bytes)"; cat screenshot.log; status=1
fi
exit $status
'
start=$(date +%s)
if unshare --net true 2>/dev/null; then
  unshare --net bash -c "$run_suite" wine-test "$@"
else
  echo "Network namespaces are not available here: running with the loopback guard only."
  bash -c "$run_suite" wine-test "$@"
fi
echo "wine-test: $(( $(date +%s) - start )) s in the namespace"
