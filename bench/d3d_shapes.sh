#!/usr/bin/env bash
# Builds the release runner and times a 3D scene of 1,000 shapes a frame, in frames per second
# (headless).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target d3d_shapes >/dev/null
exec build/release/bench/d3d_shapes "${1:-1000}" "${2:-3}"
