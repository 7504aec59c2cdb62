#!/usr/bin/env bash
# Builds the release runner and times the particle engine: a burst of 100,000 particles, then
# particles updated per second and particles drawn per second (headless).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target particles >/dev/null
exec build/release/bench/particles "${1:-100000}" "${2:-3}"
