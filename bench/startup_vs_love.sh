#!/usr/bin/env bash
# Builds the release runner and times a whole run of an empty game, beside Love2D 11.4, both
# under the same Xvfb server (one display, the same software rasteriser, OpenAL's null device):
#   ours    an empty 640x480 room whose one instance ends the game in its first step, with sound
#           on as a game runs by default;
#   Love2D  bench/love/startup: a 640x480 window and the stock modules, love.load calling
#           love.event.quit().
# A run is everything from exec to exit. The two take turns, run for run; prints the median
# wall time and the median peak resident memory (/usr/bin/time's %M) of each side, and the
# ratios (ours / Love2D's: below 1 is faster or smaller).
# Usage: bench/startup_vs_love.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-21}"
need=()
command -v love >/dev/null || need+=(love)
command -v xvfb-run >/dev/null || need+=(xvfb xauth)
[ -x /usr/bin/time ] || need+=(time)
if [ "${#need[@]}" -gt 0 ]; then
  if [ "$(id -u)" -eq 0 ]; then
    apt-get install -y "${need[@]}" >/dev/null || { apt-get update >/dev/null && apt-get install -y "${need[@]}" >/dev/null; }
  else
    sudo apt-get install -y "${need[@]}" >/dev/null
  fi
fi
cmake --preset release >/dev/null
cmake --build --preset release -j "${BENCH_JOBS:-3}" --target kilnforge startup_vs_love >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
build/release/bench/startup_vs_love "$work/startup_empty.win"

# One run of each side per round, under one display; each prints "<side> <ms> <KiB>".
cat >"$work/rounds.sh" <<'ROUNDS'
set -u
runner="$1"; work="$2"; love_dir="$3"; runs="$4"
one() {
  local side="$1"; shift
  local start end
  start="$(date +%s%N)"
  if ! /usr/bin/time -f "%M" -o "$work/rss" "$@" >"$work/out" 2>&1; then
    echo "$side failed:" >&2; tail -n 5 "$work/out" >&2; return
  fi
  end="$(date +%s%N)"
  echo "$side $(( (end - start) / 1000 )) $(tail -n 1 "$work/rss")"
}
# A first run of each side fills the page cache and the shader caches; it is not counted.
XDG_DATA_HOME="$work/data" "$runner" -game "$work/startup_empty.win" >/dev/null 2>&1
love "$love_dir" >/dev/null 2>&1
for _ in $(seq "$runs"); do
  XDG_DATA_HOME="$work/data" one ours "$runner" -game "$work/startup_empty.win"
  one love love "$love_dir"
done
ROUNDS
LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=null xvfb-run -a -s "-screen 0 1024x768x24" \
  bash "$work/rounds.sh" "$PWD/build/release/kilnforge" "$work" "$PWD/bench/love/startup" "$runs" \
  >"$work/times"

median() { awk -v s="$1" -v f="$2" '$1 == s { print $f }' "$work/times" | sort -g |
  awk '{ v[NR] = $1 } END { if (NR == 0) print 0; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ours_us="$(median ours 2)"; love_us="$(median love 2)"
ours_kib="$(median ours 3)"; love_kib="$(median love 3)"
echo "whole run of an empty game under Xvfb (llvmpipe, OpenAL null device), median of $runs interleaved runs:"
awk -v ou="$ours_us" -v lu="$love_us" -v ok="$ours_kib" -v lk="$love_kib" 'BEGIN {
  printf "  wall time    ours %8.1f ms    Love2D %8.1f ms    ours / Love2D %.2fx\n", ou / 1000, lu / 1000, (lu > 0 ? ou / lu : 0)
  printf "  peak memory  ours %8.1f MiB   Love2D %8.1f MiB   ours / Love2D %.2fx\n", ok / 1024, lk / 1024, (lk > 0 ? ok / lk : 0)
}'
