#!/usr/bin/env bash
# Builds the release runner and times string work in a game beside the same work on lua5.4,
# in rounds that take turns (each round runs every case once on each side):
#   parse  a level file of 1 MB and of 2 MB read character by character (string_char_at in
#          the game, string.sub in Lua), counting lines and digits;
#   build  a text of 1 MB and of 2 MB built line by line with s += line (s = s .. line in Lua,
#          the same work; table.concat, which is not, is shown beside it).
# The game runs on the virtual machine and with -oldexec on the parse-tree interpreter. Each
# side times only the work itself (the game with get_timer, Lua with os.clock). Prints the
# median of each case, the ratios to Lua, and how the time grows when the text doubles.
# Usage: bench/string_vs_lua.sh [rounds] [lua-concat-2mb]
#   lua-concat-2mb: "yes" also times Lua's s = s .. line at 2 MB (quadratic: about a minute).
set -euo pipefail
cd "$(dirname "$0")/.."
rounds="${1:-3}"
lua_concat_2mb="${2:-no}"
if ! command -v lua5.4 >/dev/null; then
  if [ "$(id -u)" -eq 0 ]; then
    apt-get install -y lua5.4 >/dev/null || { apt-get update >/dev/null && apt-get install -y lua5.4 >/dev/null; }
  else
    sudo apt-get install -y lua5.4 >/dev/null
  fi
fi
cmake --preset release >/dev/null
cmake --build --preset release -j 3 --target kilnforge string_vs_lua >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
sources="$PWD/bench/strings"
runner="$PWD/build/release/kilnforge"
one_mb=1048576
line_bytes=36  # about the length of one built line
for size in 1 2; do
  bytes=$((size * one_mb))
  build/release/bench/string_vs_lua "$work/parse_$size.win" "$sources/parse.gml" "@SIZE@=$bytes"
  build/release/bench/string_vs_lua "$work/build_$size.win" "$sources/build.gml" "@LINES@=$((bytes / line_bytes))"
done

# "<microseconds> <check...>" of one run of the game (VM or -oldexec).
ours() {
  local game="$1"
  shift
  SDL_VIDEODRIVER=offscreen EGL_PLATFORM=surfaceless ALSOFT_DRIVERS=null LP_NUM_THREADS=0 \
    XDG_DATA_HOME="$work/data" "$runner" -game "$game" -noaudio "$@" 2>&1 |
    sed -n 's/^@result \(.*\)$/\1/p' | tail -n 1
}
: >"$work/times"
for _ in $(seq "$rounds"); do
  for size in 1 2; do
    bytes=$((size * one_mb))
    lines=$((bytes / line_bytes))
    echo "parse_${size} vm $(ours "$work/parse_$size.win")" >>"$work/times"
    echo "parse_${size} oldexec $(ours "$work/parse_$size.win" -oldexec)" >>"$work/times"
    echo "parse_${size} lua $(lua5.4 "$sources/parse.lua" "$bytes")" >>"$work/times"
    echo "build_${size} vm $(ours "$work/build_$size.win")" >>"$work/times"
    echo "build_${size} oldexec $(ours "$work/build_$size.win" -oldexec)" >>"$work/times"
    echo "build_${size} lua_concat $(lua5.4 "$sources/build.lua" "$lines" concat)" >>"$work/times"
    if [ "$size" = 1 ] || [ "$lua_concat_2mb" = yes ]; then
      echo "build_${size} lua $(lua5.4 "$sources/build.lua" "$lines")" >>"$work/times"
    fi
  done
done

# The median time (seconds) of a case on a side; "-" when it has none.
median() {
  awk -v c="$1" -v s="$2" '$1 == c && $2 == s && $3 != "" { print $3 / 1e6 }' "$work/times" | sort -g |
    awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
# The checks (counts, bytes) of a case on a side must agree with Lua's: the same work.
checks() { awk -v c="$1" -v s="$2" '$1 == c && $2 == s { $1 = $2 = $3 = ""; print }' "$work/times" | sort -u; }
for case in parse_1 parse_2 build_1 build_2; do
  reference=lua
  [ "${case%_*}" = build ] && reference=lua_concat
  for side in vm oldexec; do
    if [ "$(checks "$case" "$side")" != "$(checks "$case" "$reference")" ]; then
      echo "warning: $case on $side did not do Lua's work:" \
        "$(checks "$case" "$side" | tr '\n' ' ')/ $(checks "$case" "$reference")" >&2
    fi
  done
done

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "-" || b == "-" || b == 0) print "-"; else printf "%.3g", a / b }'; }
row() {  # label case lua-side
  local vm oldexec lua
  vm="$(median "$2" vm)"
  oldexec="$(median "$2" oldexec)"
  lua="$(median "$2" "$3")"
  printf "  %-26s %10s %10s %10s %9s %9s\n" "$1" "$vm" "$oldexec" "$lua" "$(ratio "$vm" "$lua")" "$(ratio "$oldexec" "$lua")"
}
growth() {  # label case-1mb case-2mb lua-side
  printf "  %-26s %10s %10s %10s\n" "$1" "$(ratio "$(median "$3" vm)" "$(median "$2" vm)")" \
    "$(ratio "$(median "$3" oldexec)" "$(median "$2" oldexec)")" "$(ratio "$(median "$3" "$4")" "$(median "$2" "$4")")"
}
echo "string work, median of $rounds interleaved runs (seconds; ratio = ours / Lua 5.4):"
printf "  %-26s %10s %10s %10s %9s %9s\n" "work" "vm" "-oldexec" "lua5.4" "vm/lua" "old/lua"
row "parse 1 MB (char_at/sub)" parse_1 lua
row "parse 2 MB (char_at/sub)" parse_2 lua
row "build 1 MB (+= / ..)" build_1 lua
row "build 2 MB (+= / ..)" build_2 lua
row "build 1 MB (lua concat)" build_1 lua_concat
row "build 2 MB (lua concat)" build_2 lua_concat
echo "time at 2 MB / time at 1 MB (2.00 is linear):"
printf "  %-26s %10s %10s %10s\n" "work" "vm" "-oldexec" "lua5.4"
growth "parse" parse_1 parse_2 lua
growth "build (+= / ..)" build_1 build_2 lua
growth "build (lua concat)" build_1 build_2 lua_concat
