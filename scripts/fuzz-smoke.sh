#!/usr/bin/env bash
# Builds the fuzz targets with clang (the "fuzz" preset), writes the seed corpus with the game
# data writer and fuzzes the game data loader for a short while (default 60 seconds).
# Usage: scripts/fuzz-smoke.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

work="$(mktemp -d "${TMPDIR:-/tmp}/kf-fuzz.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/seeds" "$work/corpus" "$work/artifacts"
build/fuzz/fuzz/fuzz_seed_corpus "$work/seeds"

# A crash, a leak, a sanitizer report or a hang makes libFuzzer exit non-zero and this script
# fail; the input that did it is printed from the artifacts folder.
if ! build/fuzz/fuzz/fuzz_game_loader -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$work/artifacts/" "$work/corpus" "$work/seeds" >"$work/fuzz.log" 2>&1; then
  tail -n 60 "$work/fuzz.log" >&2
  echo "fuzzing the game data loader failed; the input:" >&2
  for f in "$work"/artifacts/*; do [ -f "$f" ] && { echo "$f" >&2; od -A d -t x1 "$f" | head -40 >&2; }; done
  exit 1
fi
grep -E "^Done [0-9]+ runs" "$work/fuzz.log" | sed "s/^/fuzz: /"
