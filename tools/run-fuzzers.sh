#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one for FUZZ_SECONDS
# (default 10: the short run of `make test`; `make fuzz` gives 60). Prints,
# per target, the inputs run, inputs per second and any finding with the
# command that reproduces it; fails when there is a finding.
# FUZZ_JOBS runs that many targets side by side (default 1); FUZZ_TARGETS
# (names such as "reply_parser_fuzz script_line_fuzz") runs only those.
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_EACH=${FUZZ_SECONDS:-10}
JOBS_AT_ONCE=${FUZZ_JOBS:-1}
BUILD=build/fuzz
root="$PWD/$BUILD"
# The targets build the program's objects; they get folders of their own,
# never the user's home or settings.
env_root="$root/env"
mkdir -p "$env_root"/{home,config,runtime,tmp}
chmod 700 "$env_root/runtime"
export HOME="$env_root/home" XDG_CONFIG_HOME="$env_root/config" \
  XDG_RUNTIME_DIR="$env_root/runtime" TMPDIR="$env_root/tmp"
CC=clang CXX=clang++ cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DSONDARO_FUZZ=ON -DSONDARO_GUI=OFF -DSONDARO_TESTS=OFF > /dev/null
cmake --build "$BUILD" -j"${JOBS:-2}" > /dev/null

# Off-air group logs, where this machine has them: the first lines of each
# (a whole log is longer than an input may be).
shared_rds=../shared/data/rds
off_air() {
  local corpus=$1 spy
  [ -d "$shared_rds" ] || return 0
  for spy in "$shared_rds"/*.spy; do
    [ -f "$spy" ] && head -c 4000 "$spy" > "$corpus/offair-$(basename "$spy" .spy)"
  done
  return 0
}

run_one() {
  local f=$1 name corpus findings log start end
  name=$(basename "$f")
  corpus="$root/corpus/$name"
  findings="$root/findings/$name"
  log="$root/logs/$name.log"
  rm -rf "$findings" "$root/logs/$name.failed"
  mkdir -p "$corpus" "$findings" "$root/logs"
  [ -d "fuzz/seeds/$name" ] && cp -n fuzz/seeds/"$name"/* "$corpus"/ 2>/dev/null || true
  case $name in rds_fuzz | group_log_fuzz | reply_parser_fuzz) off_air "$corpus" ;; esac
  # Longer inputs than a target can use only cost time: script lines stop at
  # 1024 characters, and the receive buffer takes no more once 5000 bytes
  # wait in it.
  local max_len=8192
  case $name in script_line_fuzz) max_len=1152 ;; reply_parser_fuzz) max_len=6144 ;; esac
  start=$(date +%s)
  set +e
  # The CPU time too: on a shared machine inputs per wall second say little.
  local TIMEFORMAT='%U %S' cpu
  cpu=$( { time "$f" -max_total_time="$SECONDS_EACH" -max_len="$max_len" -timeout=10 \
    -reload=0 -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" > "$log" 2>&1; } 2>&1)
  set -e
  end=$(date +%s)
  local runs rate elapsed per_cpu
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  elapsed=$((end - start > 0 ? end - start : 1))
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
  per_cpu=$(awk -v r="${runs:-0}" -v c="$cpu" 'BEGIN { split(c, t, " "); s = t[1] + t[2];
    printf "%d", (s > 0 ? r / s : 0) }')
  printf '%-20s %10s inputs in %4ss, %6s inputs/s (%s per CPU second), corpus %s\n' "$name" \
    "${runs:-?}" "$elapsed" "${rate:-?}" "$per_cpu" "$(find "$corpus" -type f | wc -l)"
  local found=0 a
  for a in "$findings"/*; do
    [ -f "$a" ] || continue
    found=1
    echo "  FINDING $a"
    echo "    reproduce: $f $a"
  done
  if [ $found = 1 ]; then
    grep -m 3 -E "ERROR|SUMMARY|deadly signal" "$log" | sed 's/^/    /'
    touch "$root/logs/$name.failed"
  fi
}

echo "fuzzing each target for ${SECONDS_EACH}s ($JOBS_AT_ONCE at once); logs in $BUILD/logs"
for f in "$BUILD"/fuzz/*_fuzz; do
  [ -x "$f" ] || continue
  if [ -n "${FUZZ_TARGETS:-}" ] && [[ " $FUZZ_TARGETS " != *" $(basename "$f") "* ]]; then continue; fi
  while [ "$(jobs -rp | wc -l)" -ge "$JOBS_AT_ONCE" ]; do wait -n || true; done
  run_one "$f" &
done
wait
if compgen -G "$root/logs/*.failed" > /dev/null; then
  echo "fuzzing found something (see FINDING above)"
  exit 1
fi
