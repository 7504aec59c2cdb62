#!/usr/bin/env bash
# Builds and runs the whole test suite twice: in the release build and in the
# AddressSanitizer + UndefinedBehaviorSanitizer build; before them, a short fuzz run of the
# game data loader (KF_FUZZ_SECONDS, default 60). After the release ctest run, each test program
# runs once more as one process in shuffled order (KF_SHUFFLE_SEED picks the order; by default
# it changes with the clock and is printed).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
# Paths inside the checkout are cached relative to it, so another clone of the project (a CI
# checkout, a second work tree) reuses what this one compiled.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
jobs=$(nproc)

# A short fuzz run of the game data loader first, so the test summaries stay the last lines.
echo "=== fuzz smoke run ==="
bash scripts/fuzz-smoke.sh "${KF_FUZZ_SECONDS:-60}"

for preset in release asan; do
  echo "=== ${preset} build ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
  # ctest runs each test alone; this runs each test program as one process in shuffled order.
  if [ "$preset" = release ]; then
    echo "=== release tests in one process ==="
    bash scripts/one-process-tests.sh build/release "${KF_SHUFFLE_SEED:-}"
  fi
done
