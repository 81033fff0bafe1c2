#!/usr/bin/env bash
# Installs what the tests need, builds, and runs every test inside a fresh network
# namespace that has nothing but loopback. Usage: scripts/test.sh [preset] [ctest args]
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-dev}"
shift || true
scripts/install-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j 2

run_suite='
set -euo pipefail
ip link set lo up
others=$(ip -o link show | awk -F": " "{print \$2}" | grep -v "^lo$" || true)
if [ -n "$others" ]; then echo "refusing to test: interfaces besides lo: $others"; exit 1; fi
export QT_QPA_PLATFORM=offscreen
ctest --preset "$0" -j 2 --timeout 300 "$@"
'
if unshare --net true 2>/dev/null; then
  unshare --net bash -c "$run_suite" "$preset" "$@"
else
  echo "Network namespaces are not available here: running with the loopback guard only."
  export QT_QPA_PLATFORM=offscreen
  ctest --preset "$preset" -j 2 --timeout 300 "$@"
fi

# With no ctest arguments the other builds follow: the sanitizer builds, the fuzz targets
# for a short while each, the Windows build under Wine, and the setup medium packed from
# the dev and Windows builds. ZAVRO_QUICK=1 skips them.
if [ $# -eq 0 ] && [ "${ZAVRO_QUICK:-0}" != 1 ]; then
  for extra in scripts/sanitize.sh scripts/fuzz.sh scripts/wine-test.sh scripts/medium-test.sh; do
    if [ -x "$extra" ]; then
      echo "== $extra"
      start=$(date +%s)
      "$extra"
      echo "== $extra: $(( $(date +%s) - start )) s"
    fi
  done
fi
