#!/usr/bin/env bash
# client.exe's start under Wine: from `wine client.exe` until its lobby window
# shows the lobby picture, on a private Xvfb (display :58 or :59) against the
# Linux server: in a brand-new prefix (Wine makes it on that start), cold
# (the prefix made, nothing of Wine running) and warm (Wine's server and its
# services running since the run before).
# Needs build/ (the Linux server) and build-windows/ (scripts/build-windows).
# As root it runs in a network namespace of its own; as another user port
# 8089 must be free.
# Usage: bench/wine_client_start.sh [WARM_RUNS]   (default 5)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
windows=${WINDOWS_BUILD:-$root/build-windows}
runs=${1:-5}

if [ -z "${WINE_BENCH_INSIDE:-}" ] && [ "$(id -u)" -eq 0 ]; then
  exec env WINE_BENCH_INSIDE=1 unshare -n "$0" "$@"
fi
[ "$(id -u)" -eq 0 ] && ip link set lo up

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all
unset SDL_VIDEODRIVER
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The tests' display locks (support/x_display.cpp), on numbers of its own.
for n in 58 59; do
  { exec {lock}>"/tmp/.game-test-X$n.lock"; } 2>/dev/null || continue
  if flock -n "$lock"; then
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -displayfd 1 >"$work/display" 2>/dev/null &
    pids+=($!)
    for _ in $(seq 500); do [ -s "$work/display" ] && break; sleep 0.01; done
    [ -s "$work/display" ] && break
  fi
  exec {lock}>&-
done
[ -s "$work/display" ] || { echo "wine_client_start: no X display" >&2; exit 1; }
export DISPLAY=:$(cat "$work/display")

"$build/server/server" >/dev/null 2>&1 &
pids+=($!)
# The pixels alone: a capture's header carries the window's name.
convert "$root/thirdparty/jz.png" -depth 8 rgb:"$work/lobby.rgb"

# Seconds from the start of client.exe until its lobby is on screen.
lobby_seconds() {
  local start client window
  start=$(date +%s.%N)
  (cd "$root/tests" && exec wine "$windows/client/client.exe" >/dev/null 2>&1) &
  client=$!
  for _ in $(seq 3000); do
    window=$(xdotool search --onlyvisible --pid "$client" 2>/dev/null | head -n 1 || true)
    if [ -n "$window" ] && xwd -silent -id "$window" 2>/dev/null |
         convert xwd:- -depth 8 rgb:- 2>/dev/null | cmp -s - "$work/lobby.rgb"; then
      awk -v start="$start" -v end="$(date +%s.%N)" 'BEGIN { printf "%.2f", end - start }'
      kill "$client"
      wait "$client" 2>/dev/null || true
      return 0
    fi
    sleep 0.02
  done
  echo "wine_client_start: no lobby" >&2
  return 1
}

echo "brand-new prefix: $(lobby_seconds) s"
wineserver -w
wineserver -p </dev/null >/dev/null 2>&1
echo "cold: $(lobby_seconds) s"
for run in $(seq "$runs"); do
  echo "warm, run $run: $(lobby_seconds) s"
done
