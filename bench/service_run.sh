#!/usr/bin/env bash
# The disk service against the disk library in one run, on one image:
#   (a) a 256 MiB file in 1 MiB requests through halvex and directly through the library, warm
#       cache (goal: service / direct >= 0.45) and cold cache, the page cache dropped before each
#       read (goal >= 0.9; skipped when not permitted);
#   (b) 32 clients at once, each listing a directory and reading its own 4 MiB file with every
#       byte checked, for LOAD_SECONDS (default 60): errors, aggregate throughput, service RSS;
#   (c) connection set-up (both hellos and the section), median of 1000 (goal < 2 ms).
# The runtime directory is in /dev/shm when it exists, as /run is on a systemd machine.
# Environment: BUILD_DIR (default build), BENCH_DIR (default $BUILD_DIR/service-bench), REPEATS,
# LOAD_SECONDS.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build}
work=${BENCH_DIR:-$build/service-bench}
repeats=${REPEATS:-5}
load_seconds=${LOAD_SECONDS:-60}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" -j "${NVRDISK_JOBS:-$(nproc)}" --target service_bench halvex

rm -rf "$work"
mkdir -p "$work/devices"
devices=$(cd "$work/devices" && pwd)
if [ -d /dev/shm ]; then runtime=$(mktemp -d /dev/shm/halvex-bench.XXXXXX); else runtime="$work/run"; fi
echo "bench: building the image in $devices"
"$build/bin/service_bench" make "$devices"

NVRDISK_DEVICE_DIR="$devices" "$build/bin/halvex" --runtime-dir "$runtime" &
service=$!
trap 'kill $service 2>/dev/null; wait $service 2>/dev/null; rm -rf "$runtime"' EXIT
export NVRDISK_RUNTIME_DIR="$runtime"
for _ in $(seq 100); do [ -S "$runtime/TQ_CS_SVC_CM_SH_CLASS" ] && break; sleep 0.05; done

"$build/bin/service_bench" read "$devices" "$repeats"
"$build/bin/service_bench" read "$devices" 3 cold
"$build/bin/service_bench" load "$devices" "$load_seconds" 32 "$service"
"$build/bin/service_bench" setup 1000
