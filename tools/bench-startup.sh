#!/usr/bin/env bash
# Start-up time and memory of the release program beside a bare Qt window
# (bench/bare_qt), measured in turn on a private Xvfb display; then the
# headless program's figures. Usage: tools/bench-startup.sh [PAIRS]
set -euo pipefail
cd "$(dirname "$0")/.."
PAIRS=${1:-15}
out=build/bench-startup
mkdir -p "$out"
cmake -S bench/bare_qt -B "$out/bare_qt" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$out/bare_qt" > /dev/null
source tools/bench-env.sh
python3 tools/bench_startup.py "$out/prog/sondaro" "$out/bare_qt/bare_qt" "$PAIRS"
