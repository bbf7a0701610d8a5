#!/bin/sh
# Installs the Debian packages listed in the given files, only when one is missing.
set -eu
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo
pkgs=$(cat "$@" | sed -e 's/#.*//' | tr -s ' \n' '\n' | sed '/^$/d' | sort -u)
missing=""
for p in $pkgs; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  echo "Installing:$missing"
  $SUDO apt-get update
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $missing
fi
