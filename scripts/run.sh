#!/usr/bin/env bash
# Installs what is missing, builds, and starts Lumivane.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
exec "${LV_BUILD_DIR:-build}/Lumivane.app/Contents/MacOS/Lumivane" "$@"
