#!/usr/bin/env bash
# Fails when a C++ file differs from .clang-format. Tables that read best
# aligned are fenced with "clang-format off/on".
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files '*.cpp' '*.h' '*.c' | xargs clang-format --dry-run -Werror
echo "formatting: ok"
