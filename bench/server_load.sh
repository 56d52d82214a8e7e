#!/usr/bin/env bash
# Load and fault runs against the real server, loopback only, each bounded in
# time. Port 8089 must be free: run it in a network namespace of its own, e.g.
#   unshare -n sh -c 'ip link set lo up && bench/server_load.sh'
# Sections (all by default, or the ones named):
#   load     2, 16 and 64 pollers, a new connection per request as the clients
#            make them: requests/s, p50/p99/max, failures, TIME_WAIT sockets
#   idle     0, 8, 32 and 128 idle connections held open by another process
#            while two pollers play: how long a game request waits
#   bad      bad and borderline requests: reply, state, still serving, memory
#   kill     a bot killed in its turn, then the server restarted mid-game
# Usage: bench/server_load.sh [section...]
# Environment: LOAD_SECONDS (60), IDLE_SECONDS (20), BUILD_DIR (build/),
#              SERVER (the server binary to measure; default the built one)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
"$root/scripts/build" "$build" -DGAME_BENCHMARKS=ON
server_binary=${SERVER:-$build/server/server}
load_seconds=${LOAD_SECONDS:-60}
idle_seconds=${IDLE_SECONDS:-20}
sections=("$@")
[ ${#sections[@]} -eq 0 ] && sections=(load idle bad kill)
work=$(mktemp -d)
server_pid=""
trap 'for p in $(jobs -p); do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT

port_open() { (exec 3<>/dev/tcp/127.0.0.1/8089) 2>/dev/null; }

start_server() {
  "$server_binary" > "$work/console" 2> "$work/errors" &
  server_pid=$!
  for _ in $(seq 100); do port_open && return 0; sleep 0.05; done
  echo "server_load: the server did not start: $(cat "$work/errors")" >&2
  exit 1
}

stop_server() {
  kill "$server_pid" 2>/dev/null || true
  wait "$server_pid" 2>/dev/null || true
}

# Sockets in TIME_WAIT on the pollers' side (local port not 8089) and on the
# server's side.
time_wait_counts() {
  ss -tan state time-wait | awk 'NR > 1 { split($3, local, ":"); if (local[2] == "8089") s++; else c++ }
    END { printf "%d %d\n", c + 0, s + 0 }'
}

# The body of one GET, or nothing when no reply came.
get() {
  local reply
  exec 3<>/dev/tcp/127.0.0.1/8089 2>/dev/null || return 0
  printf 'GET %s HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n' "$1" >&3
  reply=$(timeout 5 cat <&3 || true)
  exec 3<&-
  printf '%s' "${reply#*$'\r\n\r\n'}"
}

section_load() {
  echo "== load: GET /who, a new connection per request, ${load_seconds} s each"
  echo "   local port range: $(tr '\t' '-' < /proc/sys/net/ipv4/ip_local_port_range)"
  printf '%-8s %10s %9s %9s %9s %9s %9s %14s %14s\n' pollers requests failures req/s \
    p50_us p99_us max_us time_wait_cli time_wait_srv
  for pollers in 2 16 64; do
    start_server
    read -r _ requests failures rps p50 p99 max < <("$build/bench/http_poll_load" 127.0.0.1 8089 /who "$pollers" "$load_seconds")
    read -r tw_client tw_server < <(time_wait_counts)
    stop_server
    printf '%-8s %10s %9s %9s %9s %9s %9s %14s %14s\n' "$pollers" "$requests" "$failures" "$rps" \
      "$p50" "$p99" "$max" "$tw_client" "$tw_server"
    sleep 1
  done
}

section_idle() {
  echo "== idle connections held by another process while 2 pollers play, ${idle_seconds} s each"
  printf '%-6s %10s %9s %9s %9s %9s %18s\n' idle requests failures p50_us p99_us max_us closed_by_server
  for idle in 0 8 32 128; do
    start_server
    "$build/bench/idle_connections" 127.0.0.1 8089 "$idle" $((idle_seconds + 2)) > "$work/idle" &
    local holder=$!
    sleep 1
    read -r _ requests failures _ p50 p99 max < <("$build/bench/http_poll_load" 127.0.0.1 8089 /who 2 "$idle_seconds")
    wait "$holder"
    read -r _ closed < "$work/idle"
    stop_server
    printf '%-6s %10s %9s %9s %9s %9s %18s\n' "$idle" "$requests" "$failures" "$p50" "$p99" "$max" "$closed"
  done
}

section_bad() {
  echo "== bad and borderline requests, one connection each"
  start_server
  "$build/bench/bad_requests" 127.0.0.1 8089 "$server_pid"
  kill -0 "$server_pid" && echo "server still running; standard error: $(wc -c < "$work/errors") bytes"
  stop_server
}

# Starts a bot in the background; its pid goes to the named variable.
start_bot() {
  "$build/bot/bot" --think "$2" --seed "$3" --log "$work/$1.log" > "$work/$1.out" 2>&1 &
  printf -v "$1" '%s' "$!"
}

wait_for() {
  for _ in $(seq 200); do [ "$(get "$1")" = "$2" ] && return 0; sleep 0.05; done
  return 1
}

alive() { kill -0 "$1" 2>/dev/null && echo running || echo gone; }

section_kill() {
  echo "== a bot killed in the middle of its turn"
  start_server
  start_bot first 1500 11
  wait_for /start 1
  start_bot second 1500 12
  wait_for /start 2
  sleep 5
  local turn
  turn=$(get /who)
  local victim=$first survivor=$second
  [ "$turn" = 2 ] && victim=$second survivor=$first
  kill -9 "$victim"
  wait "$victim" 2>/dev/null || true
  local board
  board=$(get /what)
  sleep 10
  echo "killed player $turn's bot during its think pause; 10 s later:"
  echo "  other bot: $(alive "$survivor"); server: $(alive "$server_pid"); turn still $(get /who);" \
    "board unchanged: $([ "$(get /what)" = "$board" ] && echo yes || echo no); /who_win $(get /who_win)"
  start_bot third 100 13
  sleep 3
  echo "  a third bot started in its place: $(alive "$third"), /start $(get /start) (it gets \"0\" from /join for ever)"
  kill "$survivor" "$third" 2>/dev/null || true
  wait "$survivor" "$third" 2>/dev/null || true
  echo "  server standard error: $(wc -c < "$work/errors") bytes"
  stop_server

  echo "== the server restarted mid-game"
  start_server
  start_bot first 200 21
  wait_for /start 1
  start_bot second 200 22
  wait_for /start 2
  sleep 5
  local turn_before
  turn_before=$(get /who)
  kill -9 "$server_pid"
  wait "$server_pid" 2>/dev/null || true
  sleep 1
  start_server
  local waited=0
  while { kill -0 "$first" || kill -0 "$second"; } 2>/dev/null && [ $waited -lt 60 ]; do
    sleep 1
    waited=$((waited + 1))
  done
  echo "server killed in player ${turn_before}'s turn and started again; after ${waited} s:"
  echo "  player 1's bot $(alive "$first"), player 2's bot $(alive "$second"); new server: /start $(get /start)," \
    "/who $(get /who), /what $(get /what | wc -c) bytes, /who_win $(get /who_win)," \
    "$(wc -l < "$work/console") console lines, $(wc -c < "$work/errors") bytes on standard error"
  kill "$first" "$second" 2>/dev/null || true
  local status
  wait "$first" 2>/dev/null && status=0 || status=$?
  echo "  player 1's bot exit status: $status"
  wait "$second" 2>/dev/null && status=0 || status=$?
  echo "  player 2's bot exit status: $status"
  stop_server
}

if port_open; then
  echo "server_load: port 8089 is taken; run in a network namespace of its own" >&2
  exit 1
fi
for section in "${sections[@]}"; do "section_$section"; done
