#!/usr/bin/env bash
# The client library through the service against the client library in direct mode, same run,
# same images:
#   (a) TQHDC_ReadFile of a 256 MiB file in 1 MiB reads, warm cache (goal: service / direct
#       >= 0.45) and cold cache, the page cache dropped before each pass (goal >= 0.9; skipped
#       when not permitted);
#   (b) `nvrdisk export` of a 512 MiB recording to /dev/null, warm and cold, the same goals.
# Direct mode: NVRDISK_DEVICE_DIR holds drive 0, so the client opens the drives itself. Service
# mode: a device directory without drive 0 and a halvex serving the drives.
# Rounds (REPEATS, default 3) run both modes once each; the best round of each is kept. A read
# run times three passes in one process and keeps the best (the connection and the section are
# made once per process, as a program reading a file makes them once).
# Environment: BUILD_DIR (default build), BENCH_DIR (default $BUILD_DIR/client-bench), REPEATS,
# SAME_CPU.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${BUILD_DIR:-build}
work=${BENCH_DIR:-$build/client-bench}
repeats=${REPEATS:-3}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" -j "${NVRDISK_JOBS:-2}" --target make_bench_disk make_bench_recording client_read_bench halvex nvrdisk

rm -rf "$work"
mkdir -p "$work/devices" "$work/recording" "$work/user"
devices=$(cd "$work/devices" && pwd)
user=$(cd "$work/user" && pwd)
echo "bench: building the images in $work"
"$build/bin/make_bench_disk" "$devices" >/dev/null
"$build/bin/make_bench_recording" "$work/recording" "$work/large.nvr" >/dev/null
mv "$work/recording/PhysicalDrive1" "$devices/PhysicalDrive2"
truncate -s 1M "$devices/PhysicalDrive0"  # stands for the system disk: direct mode opens it

if [ -d /dev/shm ]; then runtime=$(mktemp -d /dev/shm/halvex-client-bench.XXXXXX); else runtime="$work/run"; fi
# SAME_CPU=1 runs everything on CPU 0: the service's copy into the section and the client's copy
# out of it then share one core's cache instead of moving every byte between cores, which shows
# what the section's extra copy costs by itself (the client does not spin for replies there).
pin=()
[ -n "${SAME_CPU:-}" ] && pin=(taskset -c 0)
NVRDISK_DEVICE_DIR="$devices" "${pin[@]}" "$build/bin/halvex" --runtime-dir "$runtime" &
service=$!
trap 'kill $service 2>/dev/null; wait $service 2>/dev/null; rm -rf "$runtime"' EXIT
for _ in $(seq 200); do [ -S "$runtime/TQ_CS_SVC_CM_SH_CLASS" ] && break; sleep 0.05; done

smaller() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a < b) ? a : b }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
mib_per_s() { awk -v bytes="$1" -v s="$2" 'BEGIN { printf "%.1f", bytes / 1048576 / s }'; }
in_mode() {  # in_mode direct|service COMMAND...
  local mode=$1; shift
  if [ "$mode" = direct ]; then NVRDISK_DEVICE_DIR="$devices" "${pin[@]}" "$@"
  else NVRDISK_DEVICE_DIR="$user" NVRDISK_RUNTIME_DIR="$runtime" "${pin[@]}" "$@"; fi
}
read_seconds() {  # read_seconds MODE [cold]
  local bytes seconds
  read -r bytes seconds _ < <(in_mode "$1" "$build/bin/client_read_bench" /1/0/big.bin 3 ${2:-})
  echo "$seconds"
}
drop_cache() { sync; echo 3 >/proc/sys/vm/drop_caches; }
export_seconds() {  # export_seconds MODE [cold]
  [ "${2:-}" = cold ] && drop_cache
  local start end
  start=$(date +%s.%N)
  in_mode "$1" "$build/bin/nvrdisk" export /2/0/runs.nvr /dev/null >/dev/null
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", b - a }'
}

cold=cold
if ! (drop_cache) 2>/dev/null; then
  echo "bench: cannot drop the page cache (not root?): cold runs skipped"
  cold=""
fi

declare -A best
keep() { best[$1]=$(smaller "$2" "${best[$1]:-}"); }
for round in $(seq "$repeats"); do
  echo "bench: round $round of $repeats"
  in_mode direct "$build/bin/client_read_bench" /1/0/big.bin 1 >/dev/null  # warm the cache
  for mode in direct service; do
    keep "read-warm-$mode" "$(read_seconds $mode)"
    keep "export-warm-$mode" "$(export_seconds $mode)"
    if [ -n "$cold" ]; then
      keep "read-cold-$mode" "$(read_seconds $mode cold)"
      keep "export-cold-$mode" "$(export_seconds $mode cold)"
    fi
  done
done

file_bytes=$((256 << 20))
export_bytes=$((512 << 20))
report() {  # report NAME BYTES GOAL
  local direct=${best[$1-direct]:-} service=${best[$1-service]:-}
  [ -n "$direct" ] || return 0
  printf '%-12s direct %8s MiB/s   service %8s MiB/s   service/direct %s (goal >= %s)\n' "$1" \
    "$(mib_per_s "$2" "$direct")" "$(mib_per_s "$2" "$service")" "$(ratio "$direct" "$service")" "$3"
}
report read-warm "$file_bytes" 0.45
report read-cold "$file_bytes" 0.9
report export-warm "$export_bytes" 0.45
report export-cold "$export_bytes" 0.9
