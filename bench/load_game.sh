#!/usr/bin/env bash
# Builds the release runner and times loading a large game to its first room, side by side
# with `cat` of the file and, when its path is given, an earlier runner binary.
# Usage: bench/load_game.sh [earlier runner] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target kilnforge load_game >/dev/null
export SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-offscreen}"
export EGL_PLATFORM="${EGL_PLATFORM:-surfaceless}"
export ALSOFT_DRIVERS="${ALSOFT_DRIVERS:-null}"
folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT
build/release/bench/load_game "$folder" "$PWD/build/release/kilnforge" "${1:-}" "${2:-3}"
