#!/usr/bin/env bash
# Configures and builds into ./build (or $LV_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${LV_BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=${LV_BUILD_TYPE:-RelWithDebInfo} ${LV_CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"
