#!/usr/bin/env bash
# Builds the release runner and times one frame, beside Love2D 11.4, both under the same Xvfb
# server (one display, the same software rasteriser), in rounds that take turns:
#   (a) an empty 640x480 room against Love2D's empty frame;
#   (b) 10,000 32x32 sprites of one texture page drawn a frame against Love2D drawing them.
# Our room runs at a room speed no frame reaches and Love2D's love.run has no sleep after a
# frame, so each side's time is its frame's own work. Prints the median microseconds a frame of
# each side and their ratio (ours / Love2D's: below 1 is faster).
# Usage: bench/frame_vs_love.sh [rounds] [sprites] [seconds a run]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds="${1:-5}"
sprites="${2:-10000}"
seconds="${3:-2}"
source bench/love/side_by_side.sh
need_love_and_xvfb
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target kilnforge frame_vs_love >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
build/release/bench/frame_vs_love "$work" "$sprites" "$seconds"

# One run of each of the four cases per round, under one display; each prints "<case> <us>".
cat >"$work/rounds.sh" <<'ROUNDS'
set -u
runner="$1"; work="$2"; love_dir="$3"; rounds="$4"; sprites="$5"; seconds="$6"
said() { sed -n 's/^@frame \([0-9.]*\).*/\1/p' | tail -n 1; }
for _ in $(seq "$rounds"); do
  echo "ours_empty $(XDG_DATA_HOME="$work/data" "$runner" -game "$work/frame_empty.win" -noaudio 2>&1 | said)"
  echo "love_empty $(love "$love_dir" 0 "$seconds" 2>/dev/null | said)"
  echo "ours_sprites $(XDG_DATA_HOME="$work/data" "$runner" -game "$work/frame_sprites.win" -noaudio 2>&1 | said)"
  echo "love_sprites $(love "$love_dir" "$sprites" "$seconds" 2>/dev/null | said)"
done
ROUNDS
LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=null xvfb-run -a -s "-screen 0 1024x768x24" \
  bash "$work/rounds.sh" "$PWD/build/release/kilnforge" "$work" "$PWD/bench/love/frame" "$rounds" "$sprites" \
  "$seconds" >"$work/times"

median() { median_of "$1" "$work/times"; }
echo "one frame, 640x480 window under Xvfb (llvmpipe), median of $rounds interleaved runs of ${seconds}s:"
for case in empty sprites; do
  ours="$(median "ours_$case")"
  peer="$(median "love_$case")"
  label="empty room"
  [ "$case" = sprites ] && label="$sprites sprites"
  print_ratio "$label" "$ours" "$peer"
done
