#!/usr/bin/env bash
# CPU cost of the windowed program while it streams from the simulated
# analyzer: the MPX page running, then histogram, modulation power and raw
# RDS together. Each scenario is a script given at start; after a warm-up the
# program's CPU time (all threads) over a window is printed as a share of one
# core. Usage: tools/bench-streaming.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
WINDOW=${1:-30}
WARMUP=10
out=build/bench-streaming
mkdir -p "$out"
source tools/bench-env.sh

cpu_ms() {  # all threads' CPU time so far (threads may come and go)
  cat /proc/"$1"/task/*/schedstat 2> /dev/null | awk '{ s += $1 } END { print int(s / 1e6) }'
}

run() {  # name, script lines
  printf '%b' "$2" > "$out/prog/$1.fms"
  "$out/prog/sondaro" --simulate "$PWD/$out/prog/$1.fms" > /dev/null 2>&1 &
  local pid=$!
  sleep "$WARMUP"
  local a; a=$(cpu_ms $pid)
  sleep "$WINDOW"
  local b; b=$(cpu_ms $pid)
  kill $pid; wait $pid 2> /dev/null || true
  awk -v n="$1" -v ms=$((b - a)) -v s="$WINDOW" \
    'BEGIN { printf "  %-32s %5.1f%% of one core\n", n, ms / (s * 10) }'
}

echo "windowed program on the simulated analyzer, CPU over ${WINDOW} s after ${WARMUP} s:"
run "idle" 'SET(x,1)\r\n'
run "MPX page running" 'PAGE.SHOW(2)\r\nMPX.RUN\r\n'
run "histogram, power and raw RDS" \
  'FREQUENCYDEVIATION.HISTOGRAM(1)\r\nMODULATIONPOWER.RUN\r\nRAWDATA.RUN\r\n'
