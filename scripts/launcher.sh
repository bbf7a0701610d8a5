#!/bin/sh
# Writes the desktop launcher of QuorumDesk (quorumdesk.desktop, with the
# program's icon) into the given applications folder; it starts the built
# program through scripts/start.sh. Usage: scripts/launcher.sh FOLDER
set -eu
SRC=$(cd "$(dirname "$0")/.." && pwd)
DEST=$1
mkdir -p "$DEST"
cat > "$DEST/quorumdesk.desktop" <<DESKTOP
[Desktop Entry]
Type=Application
Name=QuorumDesk
GenericName=Gestión de juntas
Comment=Juntas de comunidades de propietarios: convocatorias, votaciones, cartas y actas
Exec=sh "$SRC/scripts/start.sh"
Icon=$SRC/shell/quorumdesk.png
Terminal=false
Categories=Office;
DESKTOP
