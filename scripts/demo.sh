#!/usr/bin/env bash
# Builds the runner and plays the bundled demo game: in a window when there is a
# display, headless otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
# Paths inside the checkout are cached relative to it, so another clone of the project (a CI
# checkout, a second work tree) reuses what this one compiled.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"

game=build/release/examples/demo/data.win
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export SDL_VIDEODRIVER=offscreen
  echo "No display: running the demo headless."
fi
exec build/release/kilnforge -game "$game" -inawindow "$@"
