#!/usr/bin/env bash
# Configures and builds the tree in the build directory $1 with further CMake arguments.
# Sourced helpers for demo.sh and test.sh; expects to run from the repository root.
set -euo pipefail

build_tree() {
  local directory=$1
  shift
  local generator=()
  # An existing build directory keeps the generator it was configured with.
  if [ ! -f "$directory/CMakeCache.txt" ]; then
    generator=(-G Ninja)
  fi
  cmake -S . -B "$directory" "${generator[@]}" "$@"
  cmake --build "$directory" -j "${NVRDISK_JOBS:-$(nproc)}"
}
