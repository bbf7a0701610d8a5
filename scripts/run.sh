#!/bin/sh
# Installs what QuorumDesk needs, builds it and starts it on the embedded
# default database.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh scripts/deps-build.txt
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQD_TESTS=OFF -DQD_BENCH=OFF >/dev/null
cmake --build build --target quorumdesk
# The embedded engine's lock folder must belong to the user who runs it.
export FIREBIRD_LOCK="${FIREBIRD_LOCK:-${XDG_RUNTIME_DIR:-/tmp}/quorumdesk-fb-lock-$(id -u)}"
mkdir -p "$FIREBIRD_LOCK"
exec build/app/quorumdesk "$@"
