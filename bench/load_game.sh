#!/usr/bin/env bash
# Builds the release runner and times loading a large game to its first room, side by side
# with `cat` of the file and the runner as it was before loading was made lean: the first
# parent of the merge that brought the one-read loader (cef5024^1). That runner is built in a
# scratch worktree outside the repo (kept between runs, so only the first run compiles it);
# a path to an already built earlier runner can be given instead.
# Usage: bench/load_game.sh [earlier runner | -] [runs]     ("-" runs this runner alone)
# Environment: LOAD_GAME_EARLIER_DIR, the scratch folder (default: $TMPDIR/kilnforge-load-earlier).
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="${BENCH_JOBS:-3}"
cmake --preset release >/dev/null
cmake --build --preset release -j "$jobs" --target kilnforge load_game >/dev/null

earlier="${1:-}"
if [[ -z "$earlier" ]]; then
  commit="$(git rev-parse cef5024^1)"
  scratch="${LOAD_GAME_EARLIER_DIR:-${TMPDIR:-/tmp}/kilnforge-load-earlier}"
  if [[ "$(git -C "$scratch" rev-parse HEAD 2>/dev/null || true)" != "$commit" ]]; then
    if [[ -e "$scratch/.git" ]]; then
      git worktree remove --force "$scratch"
    elif [[ -e "$scratch" ]]; then
      echo "$scratch is in the way of the earlier runner's worktree" >&2
      exit 1
    fi
    git worktree prune
    echo "building the earlier runner ($commit) in $scratch" >&2
    git worktree add --detach "$scratch" "$commit" >/dev/null 2>&1
  fi
  (cd "$scratch" && cmake --preset release >/dev/null && cmake --build --preset release -j "$jobs" --target kilnforge >/dev/null)
  earlier="$scratch/build/release/kilnforge"
elif [[ "$earlier" == "-" ]]; then
  earlier=""
fi

export SDL_VIDEODRIVER="${SDL_VIDEODRIVER:-offscreen}"
export EGL_PLATFORM="${EGL_PLATFORM:-surfaceless}"
export ALSOFT_DRIVERS="${ALSOFT_DRIVERS:-null}"
folder="$(mktemp -d)"
trap 'rm -rf "$folder"' EXIT
build/release/bench/load_game "$folder" "$PWD/build/release/kilnforge" "$earlier" "${2:-3}"
