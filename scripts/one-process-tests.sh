#!/usr/bin/env bash
# Runs each test program of a build once as one process, its tests in shuffled order. ctest runs
# every test alone, so a test that leans on what another left behind in the process (or leaves
# something behind that breaks the next) only fails here. The seed is printed; a failure is
# replayed with: <program> --gtest_shuffle --gtest_random_seed=<seed>.
# Usage: scripts/one-process-tests.sh [build folder, default build/release] [seed 1..99999]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build/release}"
seed="${2:-}"
[ -n "$seed" ] || seed=$(( $(date +%s) % 99999 + 1 ))

# Tests that start the real runner binary are left out where they would make this pass long:
# - test_examples: its three tests each play the demo game in the runner (about 50 s together)
#   and keep nothing in the test process between them.
# - test_runner's game tests (Forms/*): about 280 runner processes, some 4 to 5 minutes one
#   after another, as long as the whole release ctest run. Its other tests run here, and the game
#   tests of test_graphics (a minute) still run after that program's in-process tests, so what
#   those leave behind for a game compiled in the test process is still caught.
filter_for() {
  case "$1" in
    test_examples) echo "" ;;
    test_runner) echo "-Forms/*" ;;  # only its tests that stay in the process
    *) echo "*" ;;
  esac
}

log="$(mktemp -d "${TMPDIR:-/tmp}/kf-one-process.XXXXXX")"
trap 'rm -rf "$log"' EXIT
failed=()
echo "one process, shuffled with seed ${seed}:"
for program in "$build"/tests/test_*; do
  [ -x "$program" ] && [ -f "$program" ] || continue
  name="$(basename "$program")"
  filter="$(filter_for "$name")"
  if [ -z "$filter" ]; then
    echo "  ${name}: left out (its tests play games in the runner binary)"
    continue
  fi
  start=$(date +%s)
  # The working folder is the one ctest gives the tests.
  if (cd "$build/tests" && "./$name" --gtest_shuffle --gtest_random_seed="$seed" \
        --gtest_filter="$filter") >"$log/$name.log" 2>&1; then
    echo "  ${name}: $(grep -E '^\[  PASSED  \] [0-9]+ tests?\.' "$log/$name.log" | tail -n 1 |
                       sed -e 's/^\[  PASSED  \] //' -e 's/\.$//') passed ($(( $(date +%s) - start )) s)"
  else
    echo "  ${name}: FAILED in one process ($(( $(date +%s) - start )) s):"
    grep -E '^\[  FAILED  \] [^0-9]' "$log/$name.log" | grep -v ' ms)$' | sed 's/^/    /' || true
    tail -n 40 "$log/$name.log" | sed 's/^/    | /'
    failed+=("$name")
  fi
done
if [ "${#failed[@]}" -gt 0 ]; then
  echo "tests that pass alone failed in one process (seed ${seed}): ${failed[*]}" >&2
  exit 1
fi
