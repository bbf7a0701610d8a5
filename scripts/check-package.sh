#!/bin/bash
# Checks the Debian package as a user's machine meets it: lintian finds no
# error, the AppStream metadata and the desktop entry are valid, the package
# installs with apt-get, the installed program starts with a new, empty home
# to its login dialog (creating the demo database), and the package removes
# cleanly, leaving none of its files. Needs root (or sudo) for apt-get.
# Usage: scripts/check-package.sh PACKAGE.deb
set -euo pipefail
DEB=$(readlink -f "$1")
SRC=$(cd "$(dirname "$0")/.." && pwd)
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT

echo "== lintian"
lintian --fail-on error "$DEB"

echo "== AppStream metadata and desktop entry"
dpkg-deb -x "$DEB" "$T/contenido"
appstreamcli validate --no-net "$T"/contenido/usr/share/metainfo/*.metainfo.xml
desktop-file-validate "$T"/contenido/usr/share/applications/*.desktop

echo "== installing with apt-get"
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y "$DEB" >"$T/apt.log" 2>&1 ||
  { cat "$T/apt.log"; exit 1; }
dpkg-query -L quorumdesk | sort >"$T/ficheros"
quita() { $SUDO env DEBIAN_FRONTEND=noninteractive apt-get remove --purge -y quorumdesk >"$T/apt.log" 2>&1; }
trap 'quita || true; rm -rf "$T"' EXIT

echo "== the installed program, started with a new home"
bash "$SRC/bench/shell/arranque.sh" /usr/bin/quorumdesk

echo "== removing"
quita || { cat "$T/apt.log"; exit 1; }
trap 'rm -rf "$T"' EXIT
QUEDAN=$(while read -r f; do [ -f "$f" ] && echo "$f"; done <"$T/ficheros" || true)
[ -z "$QUEDAN" ] || { echo "left behind by the removal:"; echo "$QUEDAN"; exit 1; }
echo "package checked: $(basename "$DEB")"
