#!/bin/bash
# Sets up the office's server machine for several seats, once: installs
# Firebird's server, makes it listen on the office network, creates the
# program's own server user (not SYSDBA) with a generated password and the
# program's database, owned by that user, in Firebird's data folder, and
# prints what each seat types at its first start ("Conectar con un servidor").
# Run as root (or with sudo). Usage:
#   sh scripts/servidor.sh [--demo]     the database with the demo data
# A second run keeps the database and the user, and gives the user a new
# password (printed; the seats then ask for it).
#
# The steps can be run one by one (QD_SERVIDOR_PASOS, any of "instala escucha
# usuario base", in that order) and their places changed (QD_SERVIDOR_CONF,
# QD_SERVIDOR_USUARIO, QD_SERVIDOR_BASE, QD_SERVIDOR_HOST, and
# QD_SERVIDOR_CLAVE_SYSDBA for a server whose SYSDBA password is not in
# Firebird's file; QD_CREABD, the database tool, when neither the package's
# nor the Release build's).
set -euo pipefail
cd "$(dirname "$0")/.."
DEMO=""
[ "${1:-}" = "--demo" ] && DEMO=--demo
PASOS=${QD_SERVIDOR_PASOS:-instala escucha usuario base}
CONF=${QD_SERVIDOR_CONF:-/etc/firebird/3.0/firebird.conf}
USUARIO=${QD_SERVIDOR_USUARIO:-QUORUMDESK}
BASE=${QD_SERVIDOR_BASE:-/var/lib/firebird/3.0/data/quorumdesk.fdb}
HOST=${QD_SERVIDOR_HOST:-localhost}
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo
paso() { case " $PASOS " in *" $1 "*) return 0 ;; *) return 1 ;; esac; }

clave_sysdba() {
  if [ -n "${QD_SERVIDOR_CLAVE_SYSDBA:-}" ]; then
    echo "$QD_SERVIDOR_CLAVE_SYSDBA"
  else
    $SUDO sed -n 's/^ISC_PASSWORD="\{0,1\}\([^"]*\)"\{0,1\}$/\1/p' /etc/firebird/3.0/SYSDBA.password
  fi
}

existe_base() {
  isql-fb -q -user SYSDBA -password "$(clave_sysdba)" "$HOST:$BASE" </dev/null >/dev/null 2>&1
}

# SQL (standard input) as SYSDBA through the server. Users and their rights
# are managed from any database's attachment (the security database takes
# none from the network): the program's, or before it exists a scratch one
# beside it, dropped at once.
sql_sysdba() {
  local sql
  sql=$(cat)
  if existe_base; then
    echo "$sql" | isql-fb -q -user SYSDBA -password "$(clave_sysdba)" "$HOST:$BASE"
  else
    printf "CREATE DATABASE '%s' USER 'SYSDBA' PASSWORD '%s';\n%s\nDROP DATABASE;\n" \
      "$HOST:$(dirname "$BASE")/quorumdesk-instalacion.fdb" "$(clave_sysdba)" "$sql" | isql-fb -q
  fi
}

if paso instala; then
  echo "== Instalando el servidor Firebird"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y firebird3.0-server firebird3.0-utils >/dev/null
fi

if paso escucha; then
  # Debian's server listens on this machine only: the seats reach it on
  # every address, on port 3050.
  echo "== El servidor escucha en la red de la oficina (puerto 3050)"
  $SUDO sed -i 's/^[[:space:]]*RemoteBindAddress[[:space:]]*=.*$/#&/' "$CONF"
  if [ -z "${QD_SERVIDOR_CONF:-}" ]; then
    if command -v systemctl >/dev/null && systemctl is-system-running >/dev/null 2>&1; then
      $SUDO systemctl enable firebird3.0 >/dev/null 2>&1 || true
      $SUDO systemctl restart firebird3.0
    else
      $SUDO service firebird3.0 restart
    fi
    sleep 2
  fi
fi

CLAVE=""
if paso usuario; then
  echo "== El usuario del programa en el servidor: $USUARIO"
  CLAVE=$(head -c 48 /dev/urandom | base64 -w0 | tr -dc 'A-Za-z0-9')
  CLAVE=${CLAVE:0:20}
  # Rights on the program's database only: it owns that database and
  # nothing else; it may create a database while the set-up runs.
  sql_sysdba <<SQL
CREATE OR ALTER USER $USUARIO PASSWORD '$CLAVE';
GRANT CREATE DATABASE TO USER $USUARIO;
COMMIT;
SQL
fi

if paso base; then
  if [ -z "$CLAVE" ]; then
    echo "the base step needs the usuario step (a password to create the database with)" >&2
    exit 2
  fi
  # The existing database is kept: the set-up may be run again.
  if existe_base; then
    echo "== La base de datos $BASE ya existe: se conserva"
  else
    echo "== Creando la base de datos $BASE ${DEMO:+con los datos de demostración}"
    CREABD=${QD_CREABD:-/usr/lib/quorumdesk/qd_creabd}
    if [ ! -x "$CREABD" ]; then
      sh scripts/build-release.sh qd_creabd
      CREABD=${QD_BUILD_DIR:-build}/schema/qd_creabd
    fi
    "$CREABD" $DEMO --usuario "$USUARIO" --clave "$CLAVE" "$HOST:$BASE"
  fi
  sql_sysdba <<SQL
REVOKE CREATE DATABASE FROM USER $USUARIO;
COMMIT;
SQL
fi

if [ -n "$CLAVE" ]; then
  NOMBRE=$(hostname)
  cat <<FIN

Cada puesto, en su primer arranque, elige "Conectar con un servidor" y escribe:
  Base de datos: $NOMBRE:$BASE
  Usuario:       $USUARIO
  Clave:         $CLAVE
(Si los puestos no encuentran el nombre $NOMBRE, escriban en su lugar la
dirección del servidor: $(hostname -I 2>/dev/null | awk '{print $1}').)
Abra el puerto 3050 (TCP) en el cortafuegos de este equipo para la red de la oficina.
FIN
fi
