#!/bin/sh
# Starts the built program on the embedded default database, creating it with
# demo data on the first start, with the accounting product's demo database
# beside it for the import. The desktop launcher runs this script.
set -eu
cd "$(dirname "$0")/.."
BUILD=${QD_BUILD_DIR:-build}
# The program's folder: its database, working files and per-user settings.
export QUORUMDESK_HOME="${QUORUMDESK_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/quorumdesk}"
mkdir -p "$QUORUMDESK_HOME"
# Where the program looks for its settings files, "taldemar.ini" among them.
CONFIG="${QUORUMDESK_CONFIG_DIR:-${XDG_CONFIG_HOME:-$HOME/.config}/quorumdesk}"
# The embedded engine's lock folder must belong to the user who runs it.
export FIREBIRD_LOCK="${FIREBIRD_LOCK:-${XDG_RUNTIME_DIR:-/tmp}/quorumdesk-fb-lock-$(id -u)}"
mkdir -p "$FIREBIRD_LOCK"
if [ ! -e "$QUORUMDESK_HOME/quorumdesk.fdb" ]; then
  echo "Creating the demo database $QUORUMDESK_HOME/quorumdesk.fdb"
  "$BUILD/schema/qd_creabd" --demo "$QUORUMDESK_HOME/quorumdesk.fdb"
  # The accounting demo, unless this machine names an accounting database of
  # its own (file names in that folder are matched without regard to case).
  if [ -z "$(find "$CONFIG" -maxdepth 1 -iname taldemar.ini 2>/dev/null)" ]; then
    if [ ! -e "$QUORUMDESK_HOME/taldemar.fdb" ]; then
      echo "Creating the demo accounting database $QUORUMDESK_HOME/taldemar.fdb"
      "$BUILD/schema/qd_creabd" --taldemar "$QUORUMDESK_HOME/taldemar.fdb"
    fi
    mkdir -p "$CONFIG"
    printf '[Datos]\nBaseDeDatos=%s\n' "$QUORUMDESK_HOME/taldemar.fdb" > "$CONFIG/taldemar.ini"
  fi
fi
exec "$BUILD/shell/quorumdesk" "$@"
