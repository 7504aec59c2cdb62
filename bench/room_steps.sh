#!/usr/bin/env bash
# Builds the release runner and times the game step: 10,000 instances with a step event for
# 100 steps (the best of three runs), printed in steps per second.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target room_steps >/dev/null
exec build/release/bench/room_steps "${1:-10000}" "${2:-100}"
