#!/bin/sh
# Starts the built program on the embedded default database, creating it with
# demo data on the first start. The desktop launcher runs this script.
set -eu
cd "$(dirname "$0")/.."
# The program's folder: its database, working files and per-user settings.
export QUORUMDESK_HOME="${QUORUMDESK_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/quorumdesk}"
mkdir -p "$QUORUMDESK_HOME"
# The embedded engine's lock folder must belong to the user who runs it.
export FIREBIRD_LOCK="${FIREBIRD_LOCK:-${XDG_RUNTIME_DIR:-/tmp}/quorumdesk-fb-lock-$(id -u)}"
mkdir -p "$FIREBIRD_LOCK"
if [ ! -e "$QUORUMDESK_HOME/quorumdesk.fdb" ]; then
  echo "Creating the demo database $QUORUMDESK_HOME/quorumdesk.fdb"
  build/schema/qd_creabd --demo "$QUORUMDESK_HOME/quorumdesk.fdb"
fi
exec build/shell/quorumdesk "$@"
