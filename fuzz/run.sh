#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a set time, starting
# from the seed corpus in fuzz/corpus/TARGET. New inputs go to a scratch
# folder, crashes to fuzz/findings/. Prints the executions of each target.
# Usage: fuzz/run.sh [SECONDS_PER_TARGET [TARGET...]]   (default 60, all)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(board_text_fuzz reply_number_fuzz server_request_fuzz)

"$root/scripts/install-deps" --test --fuzz
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DGAME_FUZZ=ON >/dev/null
ninja -C "$build" "${targets[@]}" >/dev/null

findings="$root/fuzz/findings"
mkdir -p "$findings"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

status=0
for target in "${targets[@]}"; do
  seeds="$root/fuzz/corpus/${target%_fuzz}"
  mkdir -p "$scratch/$target"
  log="$scratch/$target.log"
  if "$build/fuzz/$target" -max_total_time="$seconds" -timeout=30 -rss_limit_mb=4096 \
       -artifact_prefix="$findings/$target-" "$scratch/$target" "$seeds" >"$log" 2>&1; then
    result=clean
  else
    result="FOUND (see $findings)"
    status=1
    tail -40 "$log" >&2
  fi
  runs=$(grep -o 'Done [0-9]* runs' "$log" | grep -o '[0-9]*' || echo "?")
  printf '%-22s %10s runs in %ss: %s\n' "$target" "$runs" "$seconds" "$result"
done
exit $status
