#!/usr/bin/env bash
# Fails when a test run leaves settings where the user keeps theirs.
#   check-user-files.sh before BUILD_DIR   records what is there now
#   check-user-files.sh after BUILD_DIR    compares, naming what is new or changed
# Looked at: the real ~/.config/sondaro (or $XDG_CONFIG_HOME/sondaro), and
# every kaveli.ini under $HOME and the temporary folders, outside BUILD_DIR.
set -euo pipefail
mode=$1
build=$(cd "$2" && pwd -P)
state="$build/test-env/user-files.state"

snapshot() {
  local config="${XDG_CONFIG_HOME:-$HOME/.config}/sondaro"
  {
    if [ -d "$config" ]; then find "$config" -printf '%p %s %T@\n'; fi
    for root in "$HOME" /tmp /var/tmp "${TMPDIR:-/tmp}"; do
      [ -d "$root" ] || continue
      find "$root" -xdev -maxdepth 4 -name kaveli.ini -printf '%p %s %T@\n' 2>/dev/null || true
    done
  } | { grep -v -F "$build/" || true; } | sort -u
}

case "$mode" in
  before)
    mkdir -p "$(dirname "$state")"
    snapshot > "$state"
    ;;
  after)
    [ -f "$state" ] || { echo "no record from before the run"; exit 1; }
    new=$(comm -13 "$state" <(snapshot))
    if [ -n "$new" ]; then
      echo "tests left settings outside the build tree:"
      echo "$new"
      exit 1
    fi
    echo "nothing left in the user's folders"
    ;;
  *) echo "usage: $0 before|after BUILD_DIR" >&2; exit 2 ;;
esac
