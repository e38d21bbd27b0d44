#!/usr/bin/env bash
# Runs a command with only the fonts a fresh Debian 12 machine has (the
# TrueType folder: DejaVu), hiding fonts added later (URW Base35 from
# Ghostscript, ...), e.g. `tools/with-fresh-fonts.sh make test`.
set -euo pipefail
fc=$(mktemp -d)
trap 'rm -rf "$fc"' EXIT
cat > "$fc/fonts.conf" <<CONF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts/truetype</dir>
  <cachedir>$fc/cache</cachedir>
  <include ignore_missing="yes">/etc/fonts/conf.d</include>
</fontconfig>
CONF
FONTCONFIG_FILE="$fc/fonts.conf" "$@"
