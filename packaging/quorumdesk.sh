#!/bin/sh
# Starts QuorumDesk with the user's own folders: the program folder (its
# database, working files and per-user settings) and the embedded engine's
# lock folder. Installed as /usr/bin/quorumdesk; scripts/start.sh runs it on
# the built program by naming QD_PROGRAMA. The first start asks for the demo
# database or the office's server.
set -eu
# Installed, the program lives in the package's own library folder beside
# this script's bin folder.
PROGRAMA=${QD_PROGRAMA:-$(dirname "$(readlink -f "$0")")/../lib/quorumdesk/quorumdesk}
export QUORUMDESK_HOME="${QUORUMDESK_HOME:-${XDG_DATA_HOME:-$HOME/.local/share}/quorumdesk}"
mkdir -p "$QUORUMDESK_HOME"
# The embedded engine's lock folder must belong to the user who runs it.
export FIREBIRD_LOCK="${FIREBIRD_LOCK:-${XDG_RUNTIME_DIR:-/tmp}/quorumdesk-fb-lock-$(id -u)}"
mkdir -p "$FIREBIRD_LOCK"
exec "$PROGRAMA" "$@"
