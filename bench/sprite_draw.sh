#!/usr/bin/env bash
# Builds the release runner's library and times drawing: a room whose draw event draws 10,000
# sprites a frame, headless, in frames per second, side by side with Love2D drawing the same
# sprites one quad each on the same software rasteriser (llvmpipe; Love2D needs a display, so
# it runs under Xvfb). Usage: bench/sprite_draw.sh [sprites] [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
sprites="${1:-10000}"
seconds="${2:-3}"
source bench/love/side_by_side.sh
need_love_and_xvfb
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target sprite_draw >/dev/null
ours="$(SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-offscreen}" EGL_PLATFORM="${EGL_PLATFORM:-surfaceless}" \
  build/release/bench/sprite_draw "$sprites" "$seconds")"
echo "$ours"
peer="$(LIBGL_ALWAYS_SOFTWARE=1 xvfb-run -a -s "-screen 0 640x480x24" love bench/love/sprites "$sprites" "$seconds" 2>/dev/null | tail -n 1)"
echo "  Love2D 11.4, one quad per sprite (Xvfb, llvmpipe): $peer frames per second"
room="$(echo "$ours" | sed -n 's/.*machine): *\([0-9.]*\).*/\1/p')"
direct="$(echo "$ours" | sed -n 's/.*C++: *\([0-9.]*\).*/\1/p')"
awk -v room="$room" -v direct="$direct" -v peer="$peer" 'BEGIN {
  if (peer > 0) printf "  ours / Love2D: %.2fx (room draw event), %.2fx (from C++)\n", room / peer, direct / peer
}'
