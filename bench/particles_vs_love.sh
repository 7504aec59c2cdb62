#!/usr/bin/env bash
# Builds the release runner and times 100,000 particles updated and drawn a frame, beside
# Love2D 11.4's ParticleSystem, both under the same Xvfb server (one display, the same software
# rasteriser), in rounds that take turns:
#   (a) burst:  N particles made at once, then updated and drawn for F frames (burst included);
#   (b) stream: an emitter streaming N/50 particles a step that live 50 steps, ~N alive.
# Our room runs at a room speed no frame reaches and Love2D's love.run has no sleep after a
# frame, so each side's time is its frame's own work. Prints the median microseconds a frame of
# each side and their ratio (ours / Love2D's: below 1 is faster).
# Usage: bench/particles_vs_love.sh [rounds] [count] [frames] [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
rounds="${1:-5}"
count="${2:-100000}"
frames="${3:-60}"
seconds="${4:-2}"
source bench/love/side_by_side.sh
need_love_and_xvfb
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target kilnforge particles_vs_love >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
build/release/bench/particles_vs_love "$work" "$count" "$frames" "$seconds"

# One run of each of the four cases per round, under one display; each prints "<case> <us>".
cat >"$work/rounds.sh" <<'ROUNDS'
set -u
runner="$1"; work="$2"; love_dir="$3"; rounds="$4"; count="$5"; frames="$6"; seconds="$7"
said() { sed -n 's/^@frame \([0-9.]*\).*/\1/p' | tail -n 1; }
for _ in $(seq "$rounds"); do
  for case in burst stream; do
    echo "ours_$case $(XDG_DATA_HOME="$work/data" "$runner" -game "$work/particles_$case.win" -noaudio 2>&1 | said)"
    echo "love_$case $(love "$love_dir" "$case" "$count" "$frames" "$seconds" 2>/dev/null | said)"
  done
done
ROUNDS
LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=null xvfb-run -a -s "-screen 0 1024x768x24" \
  bash "$work/rounds.sh" "$PWD/build/release/kilnforge" "$work" "$PWD/bench/love/particles" "$rounds" "$count" \
  "$frames" "$seconds" >"$work/times"

median() { median_of "$1" "$work/times"; }
echo "$count particles updated and drawn a frame, 640x480 window under Xvfb (llvmpipe), median of $rounds interleaved runs:"
for case in burst stream; do
  ours="$(median "ours_$case")"
  peer="$(median "love_$case")"
  label="burst, $frames frames"
  [ "$case" = stream ] && label="stream, ${seconds}s"
  print_ratio "$label" "$ours" "$peer"
done
