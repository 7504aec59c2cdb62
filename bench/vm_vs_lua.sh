#!/usr/bin/env bash
# Builds the release benchmark and times each script program on the virtual machine and on
# lua5.4 (installed with apt-get when missing), printing the table of ratios.
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v lua5.4 >/dev/null; then
  apt-get install -y lua5.4 >/dev/null
fi
cmake --preset release >/dev/null
cmake --build --preset release -j 3 --target vm_vs_lua >/dev/null
exec build/release/bench/vm_vs_lua "$@"
