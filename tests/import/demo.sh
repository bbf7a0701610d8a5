#!/bin/bash
# The run command's first start sets up the accounting demo beside the demo
# database and names it in "taldemar.ini"; later starts leave both alone, and
# a machine that names an accounting database of its own keeps it.
# Arguments: the source folder, the database tool.
set -euo pipefail
SRC=$1
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
# The built program as a stub that only says it ran; the real database tool.
mkdir -p "$T/build/schema" "$T/build/shell"
ln -s "$2" "$T/build/schema/qd_creabd"
printf '#!/bin/sh\necho started >> "%s/arranques"\n' "$T" > "$T/build/shell/quorumdesk"
chmod +x "$T/build/shell/quorumdesk"
export QD_BUILD_DIR=$T/build FIREBIRD_LOCK=$T/lock
inicia() { QUORUMDESK_HOME=$T/$1 QUORUMDESK_CONFIG_DIR=$T/$1-cfg sh "$SRC/scripts/start.sh" >/dev/null; }
consulta() {
  echo "SET HEADING OFF; $2;" | FIREBIRD_LOCK=$T/lock isql-fb -q -user SYSDBA "$1" | tr -d ' \n'
}

inicia nuevo
[ -f "$T/nuevo/quorumdesk.fdb" ] || { echo "no demo database"; exit 1; }
INI=$T/nuevo-cfg/taldemar.ini
CAMINO=$(sed -n 's/^BaseDeDatos=//p' "$INI")
[ "$CAMINO" = "$T/nuevo/taldemar.fdb" ] || { echo "taldemar.ini names '$CAMINO'"; exit 1; }
grep -qx '\[Datos\]' "$INI" || { echo "no [Datos] section"; exit 1; }
[ "$(consulta "$CAMINO" 'SELECT COUNT(*) FROM SYS_COMUNIDAD')" = 5 ] || { echo "no accounting demo rows"; exit 1; }
ANTES=$(stat -c %Y "$CAMINO")
# Turned off by the user: stays off at the next start.
rm "$INI"
sleep 1
inicia nuevo
[ ! -e "$INI" ] || { echo "taldemar.ini came back"; exit 1; }
[ "$(stat -c %Y "$CAMINO")" = "$ANTES" ] || { echo "the accounting demo was built again"; exit 1; }

# A machine that already names its accounting database.
mkdir -p "$T/propia-cfg"
printf '[Datos]\nBaseDeDatos=servidor:/contabilidad/taldemar.fdb\n' > "$T/propia-cfg/Taldemar.INI"
inicia propia
[ ! -e "$T/propia/taldemar.fdb" ] || { echo "a demo accounting database was made anyway"; exit 1; }
[ ! -e "$T/propia-cfg/taldemar.ini" ] || { echo "a second settings file was written"; exit 1; }
grep -q 'servidor:/contabilidad' "$T/propia-cfg/Taldemar.INI" || { echo "the settings file was changed"; exit 1; }
[ "$(wc -l < "$T/arranques")" = 3 ] || { echo "the program was not started each time"; exit 1; }
echo "accounting demo set up once, beside the demo database"
