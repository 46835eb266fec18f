#!/usr/bin/env bash
# Builds Tessera and runs every test twice: once as built for use, once built with
# AddressSanitizer and UndefinedBehaviorSanitizer, where any report fails the run; checks
# the Debian package as installed (scripts/check-install.sh); then runs every fuzz target
# for a few seconds, so that one that no longer builds or that fails at once fails the
# run too.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2
(cd build && ctest --output-on-failure -j2)
scripts/check-install.sh

export ASAN_OPTIONS=abort_on_error=1:detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSERA_SANITIZE=ON >/dev/null
cmake --build build-sanitize -j2
(cd build-sanitize && ctest --output-on-failure -j2)

scripts/fuzz.sh 5
