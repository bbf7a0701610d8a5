#!/bin/sh
# Builds the Debian package quorumdesk_<version>_amd64.deb from the Release
# build of the run command (build/, or QD_BUILD_DIR): what is built already is
# not built again. Prints the package's path.
set -eu
cd "$(dirname "$0")/.."
sh scripts/install-deps.sh scripts/deps-build.txt
BUILD=${QD_BUILD_DIR:-build}
sh scripts/build-release.sh all
# The package's own name, whatever files an earlier version left there.
rm -f "$BUILD"/quorumdesk_*_amd64.deb
(cd "$BUILD" && cpack -G DEB >cpack.log 2>&1) || { cat "$BUILD/cpack.log"; exit 1; }
(cd "$BUILD" && ls "$PWD"/quorumdesk_*_amd64.deb)
