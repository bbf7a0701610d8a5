#!/bin/bash
# The server set-up, step by step, without disturbing the test server: the
# listening step on a copy of Firebird's settings; the user and database
# steps against the test server, under names of this run's own, removed at
# the end. The seat's three values it prints open the database as the
# program's own user, and a wrong password is refused.
# Arguments: the source folder, the database tool.
set -euo pipefail
SRC=$1
CREABD=$2
if [ -z "${QD_FB_SERVER:-}" ]; then
  [ "${CI:-}" = true ] && { echo "No Firebird server configured (QD_FB_SERVER) under CI"; exit 1; }
  echo "No Firebird server configured (QD_FB_SERVER): server set-up test skipped"
  exit 0
fi
T=$(mktemp -d)
chmod 777 "$T" # the server's own user creates the database here
USUARIO=QD_PRUEBA_$$
BASE=$T/quorumdesk.fdb
sysdba() { isql-fb -q -user "$QD_FB_USER" -password "$QD_FB_PASSWORD" "$@"; }
limpia() {
  printf 'DROP USER %s;\nCOMMIT;\nDROP DATABASE;\n' "$USUARIO" | sysdba "$QD_FB_SERVER:$BASE" >/dev/null 2>&1 || true
  rm -rf "$T"
}
trap limpia EXIT

# Listening on the office network: Debian's line is commented out, the rest kept.
printf 'Otro = 1\nRemoteBindAddress = localhost\n#RemoteBindAddress =\n' >"$T/firebird.conf"
QD_SERVIDOR_PASOS=escucha QD_SERVIDOR_CONF=$T/firebird.conf bash "$SRC/scripts/servidor.sh" >/dev/null
[ "$(cat "$T/firebird.conf")" = "$(printf 'Otro = 1\n#RemoteBindAddress = localhost\n#RemoteBindAddress =')" ] ||
  { echo "firebird.conf after the listening step:"; cat "$T/firebird.conf"; exit 1; }

# The program's user and the demo database, and what the seats are told.
SALIDA=$(QD_SERVIDOR_PASOS="usuario base" QD_SERVIDOR_USUARIO=$USUARIO QD_SERVIDOR_BASE=$BASE \
  QD_SERVIDOR_HOST=$QD_FB_SERVER QD_SERVIDOR_CLAVE_SYSDBA=$QD_FB_PASSWORD QD_CREABD=$CREABD \
  bash "$SRC/scripts/servidor.sh" --demo)
echo "$SALIDA"
CLAVE=$(echo "$SALIDA" | sed -n 's/^  Clave: *//p')
LINEA=$(echo "$SALIDA" | sed -n 's/^  Base de datos: *//p')
[ "$(echo "$SALIDA" | sed -n 's/^  Usuario: *//p')" = "$USUARIO" ] || { echo "no user printed"; exit 1; }
[ "${LINEA#*:}" = "$BASE" ] || { echo "database line $LINEA"; exit 1; }
[ ${#CLAVE} -ge 16 ] || { echo "no generated password printed"; exit 1; }

propia() { isql-fb -q -user "$USUARIO" -password "$1" "$QD_FB_SERVER:$BASE"; }
# The program's user owns its database: reads and writes there.
N=$(printf 'SET HEADING OFF;\nUPDATE SYS_COMUNIDAD SET NOMBRE = NOMBRE;\nSELECT COUNT(*) FROM SYS_COMUNIDAD;\n' | propia "$CLAVE" | tr -d ' \n')
[ "$N" -gt 0 ] || { echo "the program's user reads no community: $N"; exit 1; }
# A wrong password is refused; the user cannot create databases any more.
if echo "SELECT 1 FROM RDB\$DATABASE;" | propia "${CLAVE}x" >/dev/null 2>&1; then
  echo "a wrong password was accepted"; exit 1
fi
if echo "CREATE DATABASE '$QD_FB_SERVER:$T/otra.fdb' USER '$USUARIO' PASSWORD '$CLAVE';" | isql-fb -q >/dev/null 2>&1; then
  echo "DROP DATABASE;" | sysdba "$QD_FB_SERVER:$T/otra.fdb" >/dev/null 2>&1 || true
  echo "the program's user may still create databases"; exit 1
fi
# A second run keeps the database (and its rows) and gives a new password.
SALIDA2=$(QD_SERVIDOR_PASOS="usuario base" QD_SERVIDOR_USUARIO=$USUARIO QD_SERVIDOR_BASE=$BASE \
  QD_SERVIDOR_HOST=$QD_FB_SERVER QD_SERVIDOR_CLAVE_SYSDBA=$QD_FB_PASSWORD QD_CREABD=$CREABD \
  bash "$SRC/scripts/servidor.sh" --demo)
echo "$SALIDA2" | grep -q "ya existe: se conserva" || { echo "the second run did not keep the database"; exit 1; }
CLAVE2=$(echo "$SALIDA2" | sed -n 's/^  Clave: *//p')
N2=$(printf 'SET HEADING OFF;\nSELECT COUNT(*) FROM SYS_COMUNIDAD;\n' | propia "$CLAVE2" | tr -d ' \n')
[ "$N2" = "$N" ] || { echo "communities $N2 after the second run, $N before"; exit 1; }
echo "server set-up checked"
