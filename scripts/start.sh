#!/bin/sh
# Starts the built program as the installed package starts it (see
# packaging/quorumdesk.sh); the first start asks for the demo database or the
# office's server. The desktop launcher runs this script.
set -eu
cd "$(dirname "$0")/.."
BUILD=${QD_BUILD_DIR:-build}
case $BUILD in /*) ;; *) BUILD=$PWD/$BUILD ;; esac
export QD_PROGRAMA="$BUILD/shell/quorumdesk"
exec sh packaging/quorumdesk.sh "$@"
