#!/usr/bin/env bash
# Builds the release runner and times the game step in a room with a physics world: 1,000
# dynamic balls raining onto a floor for 100 steps (the best of three runs), in steps per second.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target physics_bodies >/dev/null
exec build/release/bench/physics_bodies "${1:-1000}" "${2:-100}"
