#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${FUZZ_SECONDS:-20}
BUILD=build/fuzz
# The targets build the program's objects; they get folders of their own,
# never the user's home or settings.
env_root="$PWD/$BUILD/env"
mkdir -p "$env_root"/{home,config,runtime,tmp}
chmod 700 "$env_root/runtime"
export HOME="$env_root/home" XDG_CONFIG_HOME="$env_root/config" \
  XDG_RUNTIME_DIR="$env_root/runtime" TMPDIR="$env_root/tmp"
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSONDARO_FUZZ=ON -DSONDARO_GUI=OFF -DSONDARO_TESTS=OFF > /dev/null
cmake --build "$BUILD" -j"${JOBS:-2}" > /dev/null
for f in "$BUILD"/fuzz/*_fuzz; do
  [ -x "$f" ] || continue
  name=$(basename "$f")
  corpus="$BUILD/corpus/$name"
  mkdir -p "$corpus"
  [ -d "fuzz/seeds/$name" ] && cp -n fuzz/seeds/"$name"/* "$corpus"/ 2>/dev/null || true
  echo "fuzzing $name for ${SECONDS_EACH}s"
  "$f" -max_total_time="$SECONDS_EACH" -max_len=8192 -timeout=10 "$corpus" 2>&1 | tail -n 2
done
