#!/bin/sh
# Installs what QuorumDesk needs, builds it, installs its desktop launcher and
# starts it on the embedded default database, which is created with demo data
# on first start. A second run builds nothing when nothing changed.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh scripts/deps-build.txt
sh scripts/build-release.sh quorumdesk
sh scripts/launcher.sh "${XDG_DATA_HOME:-$HOME/.local/share}/applications"
exec sh scripts/start.sh "$@"
