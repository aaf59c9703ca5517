#!/usr/bin/env bash
# The frame check's speed: a 1 GiB file of well-formed frames against md5sum of the same file,
# and a 64 MiB file without any frame header (at least 200 MB/s), warm cache, in one run.
# Environment: BUILD_DIR (default build), BENCH_DIR (default $TMPDIR or /tmp), SIZE_MIB (1024).
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/bench_lib.sh

build=${BUILD_DIR:-build}
build_targets "$build" videocheck_bench
"$build/bin/videocheck_bench" "${BENCH_DIR:-${TMPDIR:-/tmp}}" "${SIZE_MIB:-1024}"
