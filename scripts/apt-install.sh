#!/usr/bin/env bash
# Installs those of the named Debian packages that are missing (as root, or through sudo).
# Usage: scripts/apt-install.sh PACKAGE...
set -euo pipefail
missing=()
for p in "$@"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
install=("${sudo[@]}" apt-get install -y -qq -o DPkg::Lock::Timeout=600 --no-install-recommends "${missing[@]}")
# Stale package lists: refresh them once and try again.
"${install[@]}" >/dev/null 2>&1 ||
  { "${sudo[@]}" apt-get update -qq -o DPkg::Lock::Timeout=600; "${install[@]}" >/dev/null; }
