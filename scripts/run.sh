#!/bin/sh
# Installs what QuorumDesk needs, builds it, installs its desktop launcher and
# starts it on the embedded default database, which is created with demo data
# on first start. A second run builds nothing when nothing changed.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh scripts/deps-build.txt
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DQD_TESTS=OFF -DQD_BENCH=OFF >/dev/null
fi
cmake --build build --target quorumdesk qd_creabd
sh scripts/launcher.sh "${XDG_DATA_HOME:-$HOME/.local/share}/applications"
exec sh scripts/start.sh "$@"
