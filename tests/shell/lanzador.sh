#!/bin/bash
# The desktop launcher that the run command installs: a valid desktop entry
# whose command and icon exist.
set -euo pipefail
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
sh "$1/scripts/launcher.sh" "$T"
F=$T/quorumdesk.desktop
desktop-file-validate "$F"
ICONO=$(sed -n 's/^Icon=//p' "$F")
[ -f "$ICONO" ] || { echo "no icon at $ICONO"; exit 1; }
INICIO=$(sed -n 's/^Exec=sh "\(.*\)"$/\1/p' "$F")
[ -f "$INICIO" ] || { echo "no start script at $INICIO"; exit 1; }
echo "launcher valid: $F"
