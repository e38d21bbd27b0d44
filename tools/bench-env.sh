# Sourced by the benchmark scripts, with $out set: copies the release program
# into $out/prog, a folder of its own (its settings file lands there, never in
# the user's folders nor beside build/release/sondaro), gives it private
# HOME, XDG and TMPDIR folders, and starts a private Xvfb display that ends
# with the script.
[ -x build/release/sondaro ] || { echo "build the release program first (make release)"; exit 1; }
rm -rf "$out/prog" "$out/env"
mkdir -p "$out/prog" "$out"/env/{home,config,runtime,tmp}
chmod 700 "$out/env/runtime"
cp build/release/sondaro build/release/lib*.so "$out/prog/"
export HOME="$PWD/$out/env/home" XDG_CONFIG_HOME="$PWD/$out/env/config" \
  XDG_RUNTIME_DIR="$PWD/$out/env/runtime" TMPDIR="$PWD/$out/env/tmp"
rm -f "$out/display"
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5> "$out/display" 2> /dev/null &
xvfb=$!
trap 'kill $xvfb 2> /dev/null || true' EXIT
for _ in $(seq 100); do [ -s "$out/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$out/display")"
