#!/usr/bin/env bash
# Builds the release runner and times starting music: the "open" and "play" commands of a
# three-minute MIDI piece (or the MP3 or MIDI file given), and the time until its stream has
# music queued on a loopback sound device.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)" --target music_start >/dev/null
exec build/release/bench/music_start "$@"
