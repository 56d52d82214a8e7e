#!/usr/bin/env bash
# The windowed client's figures, with the real server and real windows on a
# private Xvfb (display :80 to :89):
#   1. turn hand-off: one client's "ok" to GET /next until the other client's
#      turn-start GET /what, read from a capture of port 8089 during a game;
#   2. one draw_view into the back buffer, with and without its GET /who;
#   3. a click on an own piece until its highlight is on screen;
#   4. the client's resident memory in the lobby, on the board, at the end.
# As root it runs in a network namespace of its own; as another user port 8089
# must be free and the capture needs the right to capture on lo.
# Usage: bench/client_bench.sh [CLICK_PAIRS [GAMES [DRAW_VIEW_CALLS]]]
# (defaults 20 select-and-deselect pairs, 3 games of about ten hand-offs each,
# 2000 calls)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-cbench}
pairs=${1:-20}
games=${2:-3}
calls=${3:-2000}

if [ -z "${CLIENT_BENCH_INSIDE:-}" ]; then
  "$root/scripts/install-deps" --test --bench
  "$root/scripts/build" "$build" -DGAME_BENCHMARKS=ON
  if [ "$(id -u)" -eq 0 ]; then
    exec env CLIENT_BENCH_INSIDE=1 BUILD_DIR="$build" unshare -n "$0" "$@"
  fi
  export CLIENT_BENCH_INSIDE=1
else
  [ "$(id -u)" -eq 0 ] && ip link set lo up
fi

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

start_xvfb() {
  for n in $(seq 80 89); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -displayfd 3 3>"$work/display" 2>/dev/null &
    local pid=$!
    for _ in $(seq 100); do
      [ -s "$work/display" ] && break
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.05
    done
    if [ -s "$work/display" ]; then
      pids+=("$pid")
      export DISPLAY=":$n" SDL_VIDEODRIVER=x11
      return 0
    fi
  done
  echo "client_bench: no free display from :80 to :89" >&2
  exit 1
}

# A game leaves the server with a winner and two players, so every game gets
# a server of its own.
start_server() {
  "$build/server/server" >/dev/null &
  server_pid=$!
  pids+=("$server_pid")
  for _ in $(seq 100); do
    (exec 3<>/dev/tcp/127.0.0.1/8089) 2>/dev/null && return 0
    sleep 0.05
  done
  echo "client_bench: the server does not listen on 8089" >&2
  exit 1
}

# The median, p90 and max of the numbers on standard input, and their count.
summarize_ms() {
  sort -n | awk '{ v[NR] = $1 } END {
    if (NR == 0) { print "no hand-offs found"; exit }
    printf "turn hand-off (/next ok -> /what)  n %3d  median %7.2f ms  p90 %7.2f ms  max %7.2f ms\n",
      NR, v[int(NR / 2) + 1], v[int(NR * 9 / 10) + 1], v[NR] }'
}

# Each "ok" to GET /next, paired with the first client GET /what after it.
hand_offs_ms() {
  tshark -r "$1" -o tcp.desegment_tcp_streams:TRUE \
    -Y '(http.request.uri == "/what" && !(http.user_agent contains "client_game_bench")) || http.response_for.uri contains "/next"' \
    -T fields -E separator=/t -e frame.time_epoch -e http.request.uri -e http.response_for.uri -e http.file_data \
    2>/dev/null | awk -F'\t' '
      $2 == "/what" { if (pending != "") { printf "%.3f\n", ($1 - pending) * 1000; pending = "" } next }
      $3 ~ /\/next$/ && ($4 == "ok" || $4 == "6f6b") { pending = $1 }'
}

start_xvfb
start_server
echo "display $DISPLAY, server on 8089, build $build"
echo

echo "== draw_view (client_view_bench $calls)"
(cd "$root/bench" && "$build/bench/client_view_bench" "$calls")
echo

echo "== two real clients: clicks, memory and whole games (client_game_bench, $pairs click pairs in game 1)"
tshark -i lo -f 'tcp port 8089 and tcp[tcpflags] & tcp-push != 0' -w "$work/games.pcapng" 2>"$work/tshark.log" &
tshark_pid=$!
pids+=("$tshark_pid")
for _ in $(seq 200); do
  grep -q "Capturing on" "$work/tshark.log" 2>/dev/null && break
  sleep 0.05
done
for game in $(seq "$games"); do
  echo "-- game $game"
  if [ "$game" -gt 1 ]; then
    kill "$server_pid"
    wait "$server_pid" 2>/dev/null || true
    start_server
  fi
  "$build/bench/client_game_bench" "$([ "$game" -eq 1 ] && echo "$pairs" || echo 0)"
done
sleep 0.5
kill -INT "$tshark_pid"
wait "$tshark_pid" 2>/dev/null || true
echo
echo "== turn hand-off from the capture ($(du -h "$work/games.pcapng" | cut -f1) of port 8089 requests and replies)"
grep -iE "captured|dropped" "$work/tshark.log" || true
hand_offs_ms "$work/games.pcapng" | summarize_ms
