#!/usr/bin/env bash
# Checks the setup medium packed from the builds the suite has made (build/dev for Linux,
# build/win64 for Windows): two packs give the same bytes; the ISO's tree, unpacked into a
# bare Debian root that has only the desktop libraries, runs zavro (its start page looks as
# from the build tree) and zavro-cli (against the simulator on loopback); ldd there finds
# every library; Zavro.exe from the same tree paints its start page under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

packages=(mmdebstrap xorriso zip unzip patchelf python3-pil xvfb xauth wine wine64)
scripts/apt-install.sh "${packages[@]}"
[ "$(id -u)" -eq 0 ] || { echo "medium-test.sh needs root (mmdebstrap, chroot, mounts)"; exit 1; }

# The programs come from the suite's builds: build/dev (made by test.sh; with another
# preset only its simulator is there) and build/win64 (made by wine-test.sh).
[ -f build/win64/build.ninja ] || { echo "no build/win64: run scripts/wine-test.sh first"; exit 1; }
cmake --build build/dev -j 2 --target zavro zavro-cli zavro-routersim medium >/dev/null
cmake --build build/win64 -j 2 --target Zavro AutoRun medium >/dev/null

out=$root/build/medium-test
rm -rf "$out"
mkdir -p "$out"

# Two packs from the same commit: the same bytes.
scripts/medium.sh --pack build/dev build/win64 "$out/first" >/dev/null
scripts/medium.sh --pack build/dev build/win64 "$out/medium"
for f in zavro-medium.iso zavro-medium.zip; do
  cmp "$out/first/$f" "$out/medium/$f" || { echo "two packs differ: $f"; exit 1; }
done
iso=$out/medium/zavro-medium.iso
if grep -rlF "$root" "$out/medium/tree"; then echo "build paths inside the medium"; exit 1; fi

# The clean root: Debian minbase from the machine's own package sources, plus only what
# every Linux desktop has. Its DejaVu fonts (pulled in by fontconfig) are taken out: the
# medium must bring the font of its labels.
desktop_pkgs="libx11-6,libx11-xcb1,libxcb1,libfontconfig1,libfreetype6,libgl1,libegl1"
croot=$root/build/cleanroot/root
# Mounts a stopped run may have left (its /dev among them) go before anything is removed.
unmount_under() {
  awk '{print $2}' /proc/self/mounts | { grep "^$1/" || true; } | sort -r | while read -r m; do umount -l "$m"; done
}
unmount_under "$croot"
stamp="$desktop_pkgs without dejavu"
if [ "$(cat "$croot/.zavro-clean-root" 2>/dev/null)" != "$stamp" ]; then
  rm -rf --one-file-system "$croot" "$croot.tmp"
  mkdir -p "$(dirname "$croot")"
  sources=()
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -s "$f" ] && sources+=("$f")
  done
  [ ${#sources[@]} -gt 0 ] || { echo "no apt sources on this machine"; exit 1; }
  # shellcheck disable=SC1091
  suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
  echo "making the clean root (Debian $suite minbase and $desktop_pkgs) in $croot"
  # shellcheck disable=SC2016 # the hook's $1 is the root mmdebstrap passes
  mmdebstrap --quiet --variant=minbase --include="$desktop_pkgs" \
    --customize-hook='rm -rf "$1"/usr/share/fonts/truetype/dejavu' \
    "$suite" "$croot.tmp" "${sources[@]}" </dev/null
  echo "$stamp" >"$croot.tmp/.zavro-clean-root"
  mv "$croot.tmp" "$croot"
fi
mnt=$croot/medium
if [ -d "$mnt" ]; then chmod -R u+w "$mnt"; rm -rf --one-file-system "$mnt"; fi
xorriso -no_rc -osirrox on -indev "$iso" -extract / "$mnt" 2>/dev/null

# The zip holds the same tree.
unzip -q "$out/medium/zavro-medium.zip" -d "$out/unzipped"
diff -r "$mnt" "$out/unzipped" || { echo "ISO and zip trees differ"; exit 1; }
# The same run bits (the ISO, read-only, drops the write bits), the programs' among them.
runnable() { (cd "$1" && find . -type f -perm -u+x | LC_ALL=C sort); }
if ! diff <(runnable "$mnt") <(runnable "$out/unzipped"); then echo "ISO and zip run bits differ"; exit 1; fi
for f in autorun.sh Wizard/zavro Wizard/zavro-cli; do
  [ -x "$mnt/$f" ] || { echo "$f lost its run bit"; exit 1; }
done
inf=$(tr -d '\r' <"$mnt/autorun.inf")
grep -qx 'open=AutoRun.exe' <<<"$inf" || { echo "autorun.inf does not open AutoRun.exe"; exit 1; }
[ -f "$mnt/AutoRun.exe" ] || { echo "no AutoRun.exe at the medium's root"; exit 1; }
# The icon autorun.inf names is a group icon resource (type 14) of AutoRun.exe.
resources=$(x86_64-w64-mingw32-objdump -p "$mnt/AutoRun.exe")
if ! grep -qx 'icon=AutoRun.exe,0' <<<"$inf" || ! grep -q "Entry: ID: 0x00000e" <<<"$resources"; then
  echo "autorun.inf names no icon of AutoRun.exe"; exit 1
fi

mounts=()
cleanup() {
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do umount -l "${mounts[$i]}" 2>/dev/null || true; done
}
trap cleanup EXIT
bind() { mount --bind "$1" "$2"; mounts+=("$2"); }
mkdir -p "$croot/tmp/.X11-unix"
[ -d /tmp/.X11-unix ] || install -d -m 1777 /tmp/.X11-unix
bind /dev "$croot/dev"
mount -t proc proc "$croot/proc"; mounts+=("$croot/proc")
bind /tmp/.X11-unix "$croot/tmp/.X11-unix"
# Read-only, as a pressed disc: the programs write nothing to it.
bind "$mnt" "$mnt"
mount -o remount,bind,ro "$mnt"

export WINEPREFIX=$root/build/win64/.wine WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY http_proxy https_proxy HTTP_PROXY HTTPS_PROXY no_proxy

# shellcheck disable=SC2016 # expanded by the shell inside the namespace
run_checks='
set -euo pipefail
ip link set lo up
others=$(ip -o link show | awk -F": " "{print \$2}" | grep -v "^lo$" || true)
if [ -n "$others" ]; then echo "refusing to test: interfaces besides lo: $others"; exit 1; fi
croot=$1 out=$2
sim=""; xvfb=""
trap "kill \$sim \$xvfb 2>/dev/null || true; wineserver -k >/dev/null 2>&1 || true" EXIT
status=0

# Every Linux executable and bundled library finds all it needs in the bare root.
bins=$(cd "$croot" && find medium -type f \( -name "*.so*" -o -name zavro -o -name zavro-cli \) | sort)
unresolved=$(for f in $bins; do chroot "$croot" ldd "/$f" | sed "s|^|$f: |"; done | grep "not found" || true)
if [ -n "$unresolved" ]; then echo "$unresolved"; status=1; fi
echo "ldd in the clean root: $(echo "$bins" | wc -l) files"

# zavro-cli in the root against the simulator on loopback.
build/dev/bin/zavro-routersim --host 127.0.0.1 --port 0 --internet-port 0 >"$out/sim.log" 2>&1 </dev/null &
sim=$!
for _ in $(seq 100); do grep -q "listening on" "$out/sim.log" && break; sleep 0.05; done
router=$(sed -nE "s/.*listening on ([^ ]+).*/\1/p" "$out/sim.log" | head -1)
[ -n "$router" ] || { cat "$out/sim.log"; echo "the simulator did not start"; exit 1; }
answer=$(chroot "$croot" env -i ZAVRO_LOOPBACK_ONLY=1 /medium/Wizard/zavro-cli --router "$router" --json check </dev/null) || status=1
echo "zavro-cli in the clean root: $answer"
case "$answer" in *"\"result\":\"done\""*) ;; *) status=1 ;; esac

mkfifo "$out/displayfd"
Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$out/displayfd" >"$out/xvfb.log" 2>&1 &
xvfb=$!
read -r -t 30 display <"$out/displayfd" || { cat "$out/xvfb.log"; echo "Xvfb did not start"; exit 1; }
export DISPLAY=:$display
script_for() {  # screenshot-path settle-ms: the automation script that takes the start page
  printf "%s\n" "await-window CZavroWizard 30000" "sleep $2" "screenshot $1" "quit 0"
}
# On to the password page (the router on loopback answers), its field filled: that page
# draws text with the font the medium brings, the start page is all picture.
to_password_page() {  # start-page-path password-page-path
  printf "%s\n" "await-window CZavroWizard 30000" "sleep 500" "screenshot $1" \
    "click 1013" "await-window CZavroARQX" "click 1014" "await-window CZavroQXset" \
    "click 1013" "await-window CZavroSetPwd 30000" "type 1020 5820" "sleep 300" \
    "screenshot $2" "quit 0"
}
same_picture() {
  /usr/bin/python3 -c "
import sys
from PIL import Image, ImageChops
a, b = (Image.open(p).convert(\"RGB\") for p in sys.argv[1:3])
print(\"same\" if a.size == b.size == (800, 600) and ImageChops.difference(a, b).getbbox() is None else \"different\")
" "$1" "$2" 2>&1 || true
}

# zavro in the root and from the build tree on one display: the same pages.
run_env=(ZAVRO_LOOPBACK_ONLY=1 ZAVRO_ROUTER="$router" ZAVRO_TIME_SCALE=0.02)
to_password_page /tmp/start.png /tmp/password.png >"$croot/tmp/pages.txt"
rm -f "$croot"/tmp/*.png
chroot "$croot" env -i DISPLAY="$DISPLAY" HOME=/tmp "${run_env[@]}" ZAVRO_AUTOMATION=/tmp/pages.txt \
  timeout 120 /medium/Wizard/zavro >"$out/clean-root.log" 2>&1 </dev/null || status=1
for page in start password; do
  cp "$croot/tmp/$page.png" "$out/clean-root-$page.png" 2>/dev/null || true
done
to_password_page "$out/build-tree-start.png" "$out/build-tree-password.png" >"$out/pages.txt"
env "${run_env[@]}" ZAVRO_AUTOMATION="$out/pages.txt" timeout 120 build/dev/medium/Wizard/zavro \
  >"$out/build-tree.log" 2>&1 </dev/null || status=1
for page in start password; do
  same=$(same_picture "$out/clean-root-$page.png" "$out/build-tree-$page.png")
  echo "zavro $page page, clean root against build tree: $same ($out/clean-root-$page.png)"
  [ "$same" = same ] || { cat "$out/clean-root.log"; status=1; }
done

# Zavro.exe from the unpacked ISO under Wine, and from the Windows build: the same page.
wine reg add "HKCU\\Software\\Wine\\Drivers" /v Graphics /d x11 /f >/dev/null 2>&1 </dev/null
for exe in "$croot/medium/Wizard/Zavro.exe" build/win64/medium/Wizard/Zavro.exe; do
  which=iso
  [ "$exe" = build/win64/medium/Wizard/Zavro.exe ] && which=build
  script_for "$out/wine-$which-start.png" 1500 >"$out/shot.txt"
  ZAVRO_AUTOMATION=$out/shot.txt timeout 120 wine "$exe" >"$out/wine-$which.log" 2>&1 </dev/null || status=1
done
wine reg add "HKCU\\Software\\Wine\\Drivers" /v Graphics /d null /f >/dev/null 2>&1 </dev/null
same=$(same_picture "$out/wine-iso-start.png" "$out/wine-build-start.png")
echo "Zavro.exe start page under Wine, ISO against build: $same ($out/wine-iso-start.png)"
[ "$same" = same ] || { cat "$out/wine-iso.log"; status=1; }
exit $status
'
if unshare --net true 2>/dev/null; then
  unshare --net bash -c "$run_checks" medium-test "$croot" "$out"
else
  echo "Network namespaces are not available here: running with the loopback guard only."
  bash -c "$run_checks" medium-test "$croot" "$out"
fi
