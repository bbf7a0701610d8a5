#!/bin/bash
# The real program from start to end on a virtual display: a fresh program
# folder with the demo database, the automatic login, the first community
# selection (community 1, chosen with the keyboard), then the end the desktop
# asks for on log-out; afterwards SYS_REGISTRO is empty again.
# Arguments: the program, the database tool.
set -euo pipefail
PROGRAMA=$1
CREABD=$2
T=$(mktemp -d)
trap 'kill -9 $PID 2>/dev/null || true; rm -rf "$T"' EXIT
export QUORUMDESK_HOME=$T QUORUMDESK_CONFIG_DIR=$T/cfg
export FIREBIRD_LOCK=$T/lock
# A real window on the virtual display, whatever the caller's platform.
unset QT_QPA_PLATFORM
"$CREABD" --demo "$T/quorumdesk.fdb" >/dev/null
touch "$T/usuario2.cfg" "$T/CFGACT.CFG" # automatic login, no version check

consulta() {
  echo "SET HEADING OFF; $1;" | isql-fb -q -user SYSDBA "$T/quorumdesk.fdb" | tr -d ' \n'
}

export DISPLAY=:$((90 + RANDOM % 400))
Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
trap 'kill -9 $PID $XVFB 2>/dev/null || true; rm -rf "$T"' EXIT
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$PROGRAMA" &
PID=$!
VENTANA=$(timeout 60 xdotool search --sync --name '^Selección de comunidad$' | head -1)
xdotool windowfocus --sync "$VENTANA"
xdotool type --delay 50 "1"
xdotool key Return
sleep 0.5
xdotool key alt+a
timeout 30 xdotool search --sync --name '^QuorumDesk - Comunidad : 1 - ' >/dev/null
echo "selected: $(xdotool getwindowname "$(xdotool search --name '^QuorumDesk - Comunidad')")"
# The login wrote its row (the database stays the program's until it ends) and
# then remembered the code.
[ "$(head -1 "$T/usuario.cfg")" = 1 ] || { echo "no login remembered"; exit 1; }

kill -TERM $PID
set +e
timeout 30 tail --pid=$PID -f /dev/null
wait $PID
ESTADO=$?
set -e
[ "$ESTADO" = 0 ] || { echo "the program ended with status $ESTADO"; exit 1; }
QUEDAN=$(consulta 'SELECT COUNT(*) FROM SYS_REGISTRO')
[ "$QUEDAN" = 0 ] || { echo "SYS_REGISTRO keeps $QUEDAN row(s)"; exit 1; }
echo "ended cleanly; SYS_REGISTRO empty"
# The day's copy made at the end, and none more the same day.
COPIAS=$(find "$T/copias" -name 'quorumdesk-*.fbk' | wc -l)
[ "$COPIAS" = 1 ] || { echo "$COPIAS copies at the end instead of one"; exit 1; }
# The command line copies without a window.
env -u DISPLAY "$PROGRAMA" --copia "$T/orden" || { echo "--copia failed"; exit 1; }
[ "$(find "$T/orden" -name 'quorumdesk-*.fbk' | wc -l)" = 1 ] || { echo "--copia made no copy"; exit 1; }
echo "copies verified at the end and from the command line"
