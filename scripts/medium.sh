#!/usr/bin/env bash
# Makes the setup medium: one tree for Windows and Linux, written as an ISO 9660 image
# (Joliet and Rock Ridge) and as a zip for a USB stick, byte for byte the same on every
# run from the same commit.
#   scripts/medium.sh                   builds the release Linux programs and the Windows
#                                       build, then packs build/medium/zavro-medium.{iso,zip}
#   scripts/medium.sh --pack LINUX WIN [OUT]
#                                       packs from existing builds (e.g. build/dev and
#                                       build/win64) into OUT (default build/medium)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

packages=(xorriso zip patchelf binutils binutils-mingw-w64-x86-64 fonts-dejavu-core git)
# Building, not only packing: the cross compiler (and GoogleTest's sources, which the
# Windows build's configuration looks for).
[ "${1:-}" = --pack ] || packages+=(g++-mingw-w64-x86-64-posix googletest)
scripts/apt-install.sh "${packages[@]}"

if [ "${1:-}" = --pack ]; then
  [ $# -ge 3 ] || { echo "usage: $0 --pack LINUX_BUILD WIN_BUILD [OUT]" >&2; exit 2; }
  linux=$2 win=$3 out=${4:-build/medium}
else
  scripts/install-deps.sh
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  fi
  cmake --preset release "${launcher[@]}" >/dev/null
  cmake --build build/release -j 2 --target zavro zavro-cli medium
  cmake -S . -B build/win64 -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake "${launcher[@]}" \
    -DZAVRO_LINUX_MEDIUM="$root/build/release/medium" >/dev/null
  cmake --build build/win64 -j 2 --target Zavro AutoRun medium
  linux=build/release win=build/win64 out=build/medium
fi

lm=$linux/medium
wm=$win/medium
for f in "$lm/AutoRun" "$lm/Wizard/zavro" "$lm/Wizard/zavro-cli" "$lm/Wizard/image/01.jpg" \
         "$wm/AutoRun.exe" "$wm/Wizard/Zavro.exe" "$wm/Wizard/dhcpsetting.vbs"; do
  [ -f "$f" ] || { echo "missing $f: build the Linux and Windows media first" >&2; exit 1; }
done

export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
mkdir -p "$out"
out=$(cd "$out" && pwd)
tree=$out/tree
rm -rf "$tree"
mkdir -p "$tree/Wizard/lib/plugins/platforms" "$tree/Wizard/lib/plugins/platforminputcontexts" \
         "$tree/Wizard/lib/fonts"

# Root: the Windows menu and its autorun file, the Linux menu and the desktop's autorun.
crlf() { sed 's/\r*$/\r/' "$1" >"$2"; }
cp "$wm/AutoRun.exe" "$lm/AutoRun" tools/media/release/autorun.sh "$tree/"
crlf tools/media/release/autorun.inf "$tree/autorun.inf"
crlf tools/media/release/README.txt "$tree/README.txt"

# Wizard: the three programs beside the pictures, texts, documents and firmware. The two
# network scripts are the Windows ones; on Linux they are marked executable so that the
# wizard runs (and fails on) them rather than handing them to a desktop's text editor.
w=$tree/Wizard
for d in image Manual QIG Firmware; do cp -r "$lm/Wizard/$d" "$w/"; done
cp "$wm/Wizard/dhcpsetting.vbs" "$wm/Wizard/dns-replaceserverlist.vbs" "$w/"
x86_64-w64-mingw32-strip --strip-unneeded -o "$w/Zavro.exe" "$wm/Wizard/Zavro.exe"
x86_64-w64-mingw32-strip --strip-unneeded -o "$tree/AutoRun.exe" "$wm/AutoRun.exe"
strip --strip-unneeded -o "$w/zavro" "$lm/Wizard/zavro"
strip --strip-unneeded -o "$w/zavro-cli" "$lm/Wizard/zavro-cli"

# Libraries: everything the programs and the Qt plugins need, except what every Linux
# desktop has (glibc, the C++ runtime, X11/xcb, fontconfig, freetype, libGL/libEGL; the
# separate libOpenGL of GL dispatch is not among them, so it comes along).
desktop='^(linux-vdso|ld-linux-x86-64|libc|libm|libdl|libpthread|librt|libresolv|libutil|libanl|libstdc\+\+|libgcc_s|libX11|libX11-xcb|libxcb|libfontconfig|libfreetype|libGL|libEGL|libGLX|libGLdispatch)\.so'
qtplugins=$(qtpaths6 --plugin-dir 2>/dev/null || echo /usr/lib/x86_64-linux-gnu/qt6/plugins)
cp "$qtplugins/platforms/libqxcb.so" "$w/lib/plugins/platforms/"
cp "$qtplugins/platforminputcontexts/libcomposeplatforminputcontextplugin.so" \
   "$w/lib/plugins/platforminputcontexts/"
declare -A where=()
for f in "$w/zavro" "$w/zavro-cli" "$w"/lib/plugins/*/*.so; do
  while read -r name _ path _; do
    [ -n "${path:-}" ] && [ "${path:0:1}" = / ] && where[$name]=$path
  done < <(ldd "$f")
done
queue=("$w/zavro" "$w/zavro-cli" "$w"/lib/plugins/*/*.so)
while [ ${#queue[@]} -gt 0 ]; do
  f=${queue[0]}
  queue=("${queue[@]:1}")
  for name in $(patchelf --print-needed "$f"); do
    [[ $name =~ $desktop ]] && continue
    [ -e "$w/lib/$name" ] && continue
    [ -n "${where[$name]:-}" ] || { echo "no path for $name (needed by $f)" >&2; exit 1; }
    cp -L "${where[$name]}" "$w/lib/$name"
    queue+=("$w/lib/$name")
  done
done
# shellcheck disable=SC2016 # $ORIGIN is the loader's, not the shell's
patchelf --set-rpath '$ORIGIN/lib' "$w/zavro" "$w/zavro-cli"
# shellcheck disable=SC2016
for f in "$w"/lib/*.so*; do patchelf --set-rpath '$ORIGIN' "$f"; done
# shellcheck disable=SC2016
for f in "$w"/lib/plugins/*/*.so; do patchelf --set-rpath '$ORIGIN/../..' "$f"; done
printf '[Paths]\nPlugins = lib/plugins\n' >"$w/qt.conf"
cp /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf \
   /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf "$w/lib/fonts/"
# The licences of everything bundled, from the Debian packages it came from (dpkg knows
# a library under /usr/lib or under /lib, so both are asked).
sources=(/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf "$qtplugins"/platforms/libqxcb.so
         "$qtplugins"/platforminputcontexts/libcomposeplatforminputcontextplugin.so)
for f in "$w"/lib/*.so*; do
  real=$(realpath "${where[$(basename "$f")]}")
  sources+=("$real" "/lib${real#/usr/lib}")
done
mkdir -p "$w/lib/licenses"
for pkg in $(dpkg -S "${sources[@]}" 2>/dev/null | sed 's/:.*//' | LC_ALL=C sort -u); do
  cp "/usr/share/doc/$pkg/copyright" "$w/lib/licenses/$pkg.txt"
done

# Modes, owners and dates that do not depend on the machine or the hour.
find "$tree" -type d -exec chmod 755 {} +
find "$tree" -type f -exec chmod 644 {} +
chmod 755 "$tree/AutoRun" "$tree/autorun.sh" "$w/zavro" "$w/zavro-cli" "$w"/*.vbs
find "$tree" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

iso=$out/zavro-medium.iso
zip=$out/zavro-medium.zip
rm -f "$iso" "$zip"
# xorriso takes every date (volume, files, uuid) from SOURCE_DATE_EPOCH. Wizard/lib,
# which only Linux reads, is stored zisofs-compressed (a Rock Ridge extension the Linux
# kernel reads transparently): it halves the image.
xorriso -no_rc -as mkisofs -quiet -o "$iso" -V ZAVRO_QX3150N -volset ZAVRO_QX3150N \
  -publisher ZAVRO -appid "ZAVRO SETUP" -sysid LINUX -r -J -joliet-long -iso-level 3 \
  "$tree" -- -set_filter_r --zisofs /Wizard/lib -- 2>&1 |
  { grep -v -e '^xorriso 1' -e '^xorriso : NOTE : Environment variable SOURCE_DATE_EPOCH' -e '^$' || true; }
(cd "$tree" && find . -type f | sed 's|^\./||' | LC_ALL=C sort |
  TZ=UTC zip -q -X -D -@ "$zip")

echo "medium: $iso ($(stat -c %s "$iso") bytes), $zip ($(stat -c %s "$zip") bytes)"
(cd "$tree" && du -a -d 3 --apparent-size -B K . | sort -rn | head -16)
