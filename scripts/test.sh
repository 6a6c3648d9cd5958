#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test. Widget tests use
# Qt's offscreen platform; OpenGL and whole-program tests need the X server
# that xvfb-run gives the whole run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
cd "${LV_BUILD_DIR:-build}"
# Conversions at the tests' own priority: other work on the machine then
# slows them no more than the tests themselves (the benchmark keeps the
# program's lower priority).
export ORVALTA_JOB_NICE=0
exec xvfb-run -a -s "-screen 0 1600x1000x24" \
  ctest --output-on-failure -j"$(nproc)" ${LV_CTEST_ARGS:-}
