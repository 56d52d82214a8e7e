#!/usr/bin/env bash
# Throughput and latency of the game server under the clients' request pattern
# (a new connection per GET /who), beside nginx answering the same one-byte
# reply, for 1, 2, 4 and 8 pollers.
# Usage: bench/server_throughput.sh [SECONDS_PER_RUN]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-10}
"$root/scripts/install-deps" --test --bench
build=${BUILD_DIR:-$root/build}
"$root/scripts/build" "$build" -DGAME_BENCHMARKS=ON
load="$build/bench/http_poll_load"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; [ -f "$work/nginx.pid" ] && kill "$(cat "$work/nginx.pid")" 2>/dev/null; rm -rf "$work"' EXIT

cat > "$work/nginx.conf" <<CONF
worker_processes 1;
daemon on;
pid $work/nginx.pid;
error_log $work/error.log;
events { worker_connections 1024; }
http {
  access_log off;
  server {
    listen 127.0.0.1:8090;
    location = /who { default_type text/plain; return 200 "1"; }
  }
}
CONF
nginx -c "$work/nginx.conf" -p "$work"
"$build/server/server" > /dev/null &
sleep 0.5

printf '%-8s %8s %10s %10s %10s %10s %8s\n' pollers target req/s p50_us p99_us failures ratio
for pollers in 1 2 4 8; do
  read -r _ _ nf nrps np50 np99 _ < <("$load" 127.0.0.1 8090 /who "$pollers" "$seconds")
  read -r _ _ sf srps sp50 sp99 _ < <("$load" 127.0.0.1 8089 /who "$pollers" "$seconds")
  printf '%-8s %8s %10s %10s %10s %10s %8s\n' "$pollers" nginx "$nrps" "$np50" "$np99" "$nf" 1.00
  printf '%-8s %8s %10s %10s %10s %10s %8s\n' "$pollers" server "$srps" "$sp50" "$sp99" "$sf" \
    "$(awk -v a="$srps" -v b="$nrps" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')"
done
