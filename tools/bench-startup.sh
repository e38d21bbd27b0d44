#!/usr/bin/env bash
# Start-up time and memory of the release program beside a bare Qt window
# (bench/bare_qt), measured in turn on a private Xvfb display; then the
# headless program's figures. Usage: tools/bench-startup.sh [PAIRS]
set -euo pipefail
cd "$(dirname "$0")/.."
PAIRS=${1:-15}
out=build/bench-startup
mkdir -p "$out"
[ -x build/release/sondaro ] || { echo "build the release program first (make release)"; exit 1; }
cmake -S bench/bare_qt -B "$out/bare_qt" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$out/bare_qt" > /dev/null
# A copy of the program in a folder of its own: its settings file lands
# there, never in the user's folders nor beside build/release/sondaro.
rm -rf "$out/prog" "$out/env"
mkdir -p "$out/prog" "$out"/env/{home,config,runtime,tmp}
chmod 700 "$out/env/runtime"
cp build/release/sondaro build/release/lib*.so "$out/prog/"
export HOME="$PWD/$out/env/home" XDG_CONFIG_HOME="$PWD/$out/env/config" \
  XDG_RUNTIME_DIR="$PWD/$out/env/runtime" TMPDIR="$PWD/$out/env/tmp"
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5> "$out/display" 2> /dev/null &
xvfb=$!
trap 'kill $xvfb 2> /dev/null || true' EXIT
for _ in $(seq 100); do [ -s "$out/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$out/display")"
python3 tools/bench_startup.py "$out/prog/sondaro" "$out/bare_qt/bare_qt" "$PAIRS"
