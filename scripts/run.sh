#!/usr/bin/env bash
# Builds Tessera and opens it on the sample data set (generated on first use).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2
if [ ! -f sample-data/art.mul ]; then
  build/tools/sample/tessera-sample sample-data
fi
exec build/app/tessera sample-data "$@"
