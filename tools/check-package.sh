#!/bin/bash
# Builds the Debian package from a configured, built tree and checks that
# the manual page renders cleanly and lintian finds nothing. Exits 77 (skip)
# where man or lintian is missing.
#   check-package.sh BUILD_DIR
set -eu
build=$(cd "$1" && pwd)
src=$(cd "$(dirname "$0")/.." && pwd)

command -v man >/dev/null || { echo "SKIP: man (man-db) is not installed"; exit 77; }
warn=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$src/dist/sondaro.1" 2>&1 >/dev/null)
if [ -n "$warn" ]; then echo "man page warnings:"; echo "$warn"; exit 1; fi
for opt in $(grep -o '"--[a-z-]*"' "$src/src/ui/program.cpp" | tr -d '"' | sort -u); do
  grep -q -- "${opt//-/\\\\-}" "$src/dist/sondaro.1" || { echo "option $opt missing from the man page"; exit 1; }
done

command -v lintian >/dev/null || { echo "SKIP: lintian is not installed"; exit 77; }
out="$build/package-check"
rm -rf "$out" && mkdir -p "$out"
cmake --build "$build" --target sondaro sondaro_docs >/dev/null  # the modules come with sondaro
(cd "$out" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >cpack.log 2>&1) \
  || { cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/*.deb)
files=$(dpkg-deb -c "$deb")
grep -q 'usr/share/man/man1/sondaro.1.gz' <<<"$files" || { echo "man page not in package"; exit 1; }
for module in serial net audio ftp web; do  # the run-time modules, in the private folder
  grep -q "usr/lib/.*sondaro/.*libsondaro_$module.so" <<<"$files" \
    || { echo "module libsondaro_$module.so not in package"; exit 1; }
done
# The sanitizer build links libasan/libubsan; only lintian's own verdict counts.
report=$(lintian --tag-display-limit 0 --display-level '>=warning' "$deb" 2>&1 | grep -v "running with root privileges") || true
echo "$report"
[ -z "$report" ]
