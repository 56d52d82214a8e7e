#!/usr/bin/env bash
# 500 bot-versus-bot games back to back, one server per game, every relayed
# board checked (bench/soak.cpp). Port 8089 must be free: run it in a network
# namespace of its own, e.g.
#   unshare -n sh -c 'ip link set lo up && bench/soak.sh'
# Usage: bench/soak.sh [GAMES [THINK_MS]]   (default 500, 1)
# Environment: BUILD_DIR (build/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/build" "$build" -DGAME_BENCHMARKS=ON
if (exec 3<>/dev/tcp/127.0.0.1/8089) 2>/dev/null; then
  echo "soak: port 8089 is taken; run in a network namespace of its own" >&2
  exit 1
fi
exec "$build/bench/soak" "${1:-500}" "${2:-1}"
