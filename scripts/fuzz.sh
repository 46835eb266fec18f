#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ in build-fuzz (clang, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for SECONDS seconds (default 60), printing
# "target: N execs, M findings". Each target keeps its corpus in
# build-fuzz/corpus/<target>/ (grown from the seeds in build-fuzz/seeds/<target>/) and
# writes what it finds (crash-*, leak-*, timeout-*, oom-* inputs) into
# build-fuzz/findings/<target>/, its output into build-fuzz/logs/<target>.log.
# Exits non-zero when any target found something this run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
case "$seconds" in
  '' | *[!0-9]*) echo "usage: scripts/fuzz.sh [SECONDS]" >&2; exit 2 ;;
esac
scripts/deps.sh
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"

build=build-fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSERA_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2 >/dev/null
"$build/fuzz/fuzz-seeds" "$build/seeds"

# A single input may take this long before it counts as a finding: decoding any record
# costs milliseconds.
timeout_seconds=5
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-}:print_stacktrace=1"

artifacts() {
  find "$1" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) \
    | sort
}

status=0
for target in "$build"/fuzz/fuzz_*; do
  [ -x "$target" ] && [ -f "$target" ] || continue
  name="$(basename "$target")"
  corpus="$build/corpus/$name"
  findings="$build/findings/$name"
  log="$build/logs/$name.log"
  mkdir -p "$corpus" "$findings" "$build/seeds/$name" "$(dirname "$log")"
  before="$(artifacts "$findings")"
  "$target" -max_total_time="$seconds" -timeout="$timeout_seconds" -print_final_stats=1 \
    -artifact_prefix="$findings/" "$corpus" "$build/seeds/$name" >"$log" 2>&1 || true
  after="$(artifacts "$findings")"
  found="$(comm -13 <(echo "$before") <(echo "$after") | grep -c . || true)"
  execs="$(sed -n 's/^stat::number_of_executed_units: *\([0-9]*\).*/\1/p' "$log" | tail -n 1)"
  [ -n "$execs" ] || execs="$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log" | tail -n 1)"
  [ -n "$execs" ] || execs=0
  echo "$name: $execs execs, $found findings"
  if [ "$found" -ne 0 ] || ! grep -q '^Done \|^stat::number_of_executed_units' "$log"; then
    [ "$found" -ne 0 ] || echo "  $name did not finish its run; see $log" >&2
    status=1
  fi
done
exit "$status"
