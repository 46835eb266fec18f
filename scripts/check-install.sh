#!/usr/bin/env bash
# Checks Tessera as installed: builds the Debian package, installs it with apt-get, runs
# the installed programs from another directory (the version, a sample set written and
# read, the window rendered off-screen), validates the desktop entry and the AppStream
# metadata, and removes the package again. Not as root, it checks `cmake --install` into
# a temporary prefix instead of the package.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
scripts/deps.sh desktop-file-utils appstream
package=$(scripts/package.sh | tail -n 1)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)

work=$(mktemp -d)
cleanup() { rm -rf "$work"; }
trap cleanup EXIT

if [ "$(id -u)" -eq 0 ]; then
  echo "Installing $(basename "$package")"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$package" >/dev/null
  trap 'DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq tessera >/dev/null; cleanup' EXIT
  prefix=/usr
else
  echo "Not root: checking cmake --install into a temporary prefix instead of the package"
  prefix=$work/prefix
  cmake --install build --prefix "$prefix" >/dev/null
fi
bin=$prefix/bin
share=$prefix/share
app_id=org.tessera.Tessera

fail() { echo "check-install: $*" >&2; exit 1; }

# Nothing of the source or build tree is needed: run from elsewhere.
cd "$work"
export QT_QPA_PLATFORM=offscreen
for program in tessera tessera-cli tessera-sample; do
  [ "$("$bin/$program" --version 2>/dev/null)" = "$program $version" ] \
    || fail "$program --version does not say $version"
  grep -q -- "$source_dir" "$bin/$program" && fail "$program refers to the source tree"
  [ -s "$share/man/man1/$program.1" ] || [ -s "$share/man/man1/$program.1.gz" ] \
    || fail "no manual page for $program"
done
"$bin/tessera-sample" set --statics 512 2>/dev/null || fail "tessera-sample could not write a set"
"$bin/tessera-cli" info set >/dev/null || fail "tessera-cli info could not read the set"
"$bin/tessera" set --screenshot window.png --size 800x600 2>/dev/null || fail "tessera could not render the window"
[ -s window.png ] || fail "tessera wrote no screenshot"

desktop-file-validate "$share/applications/$app_id.desktop" || fail "the desktop entry is not valid"
appstreamcli validate --no-net "$share/metainfo/$app_id.metainfo.xml" || fail "the AppStream metadata is not valid"
for icon in scalable/apps/$app_id.svg 48x48/apps/$app_id.png 256x256/apps/$app_id.png; do
  [ -s "$share/icons/hicolor/$icon" ] || fail "no icon $icon"
done
[ -s "$share/bash-completion/completions/tessera-cli" ] || fail "no bash completion for tessera-cli"

if [ "$prefix" = /usr ]; then
  DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq tessera >/dev/null
  trap cleanup EXIT
  [ ! -e /usr/bin/tessera ] || fail "removing the package left /usr/bin/tessera"
fi
echo "check-install: $(basename "$package") installs, runs and validates"
