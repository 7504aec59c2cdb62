#!/usr/bin/env bash
# Builds and runs the whole test suite twice: in the release build and in the
# AddressSanitizer + UndefinedBehaviorSanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
jobs=$(nproc)

for preset in release asan; do
  echo "=== ${preset} build ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
