#!/usr/bin/env bash
# Installs what building Tessera needs on Debian 12, when it is missing, and any further
# packages named as arguments. As root it runs apt-get; otherwise it names the packages
# to install and stops.
set -euo pipefail

# help2man makes the manual pages from each program's --help.
# clang and libclang-rt-14-dev (libFuzzer and the sanitizer runtimes of clang 14) build
# the fuzz targets (scripts/fuzz.sh).
packages=(build-essential cmake ninja-build ccache qt6-base-dev qt6-base-dev-tools libgl-dev
          zlib1g-dev fonts-dejavu-core help2man clang libclang-rt-14-dev "$@")

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
else
  echo "Tessera needs these packages; install them with:" >&2
  echo "  sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
