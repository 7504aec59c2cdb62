#!/usr/bin/env bash
# Builds the release runner's library and times drawing: a room whose draw event draws 10,000
# sprites a frame, headless, printed in frames per second.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target sprite_draw >/dev/null
export SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-offscreen}"
export EGL_PLATFORM="${EGL_PLATFORM:-surfaceless}"
exec build/release/bench/sprite_draw "${1:-10000}" "${2:-3}"
