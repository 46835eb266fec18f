#!/usr/bin/env bash
# Builds Tessera's Debian package with CPack: build/tessera_VERSION_ARCH.deb, its
# dependencies computed from the binaries by dpkg-shlibdeps. Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh dpkg-dev file
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 >/dev/null

cd build
rm -f tessera_*.deb
# Debian's libqt6gui6 holds the platform plugins it loads (xcb, offscreen), so the
# libraries the binaries link are all they need.
cpack -G DEB \
  -D CPACK_PACKAGING_INSTALL_PREFIX=/usr \
  -D CPACK_DEBIAN_FILE_NAME=DEB-DEFAULT \
  -D CPACK_DEBIAN_PACKAGE_SHLIBDEPS=ON \
  -D CPACK_DEBIAN_PACKAGE_SECTION=graphics >/dev/null
ls "$PWD"/tessera_*.deb
