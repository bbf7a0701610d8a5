#!/bin/sh
# Builds the given targets of the Release build in build/ (QD_BUILD_DIR), the
# configuration users run and the package is made of; the first call
# configures it. Usage: scripts/build-release.sh TARGET...
set -eu
cd "$(dirname "$0")/.."
BUILD=${QD_BUILD_DIR:-build}
if [ ! -f "$BUILD/build.ninja" ]; then
  cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQD_TESTS=OFF -DQD_BENCH=OFF \
        -DQD_UNITY_BUILD=ON >/dev/null
fi
cmake --build "$BUILD" --target "$@"
