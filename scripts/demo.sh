#!/usr/bin/env bash
# Builds everything (Release) and shows nvrdisk on a generated sample device directory.
# NVRDISK_BUILD_DIR names another build directory than build/.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/build_tree.sh

bash scripts/setup.sh
build=${NVRDISK_BUILD_DIR:-build}
build_tree "$build" -DCMAKE_BUILD_TYPE=Release

nvrdisk=$build/bin/nvrdisk
sample=$build/sample

show() {
  echo
  echo "\$ nvrdisk $*"
  "$nvrdisk" "$@"
}

show sample "$sample"
show --devices "$sample" list
show --devices "$sample" ls /1/0/
show --devices "$sample" cat /1/0/README.txt
show --devices "$sample" ls /1/0/docs/
show --devices "$sample" cat /1/0/docs/notes.txt
show --devices "$sample" ls /2/2/logs
