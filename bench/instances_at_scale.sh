#!/usr/bin/env bash
# Builds the release runner and times what grows with the number of instances (room start,
# instance_create and its memory, depth changes, place_meeting, the step) at n and 10n
# instances, beside the same work run by Love2D 11.4 with LuaJIT on and off (bench/love/).
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v love >/dev/null; then
  apt-get install -y love >/dev/null
fi
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target instances_at_scale >/dev/null
exec build/release/bench/instances_at_scale
