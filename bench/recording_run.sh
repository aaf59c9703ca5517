#!/usr/bin/env bash
# Compares exporting a 512 MiB recording through the disk library (TQHD_OpenAVFileByRName, 1 MiB
# TQHD_ReadFile calls, as `nvrdisk export` reads) with dd bs=1M reading the same 512 MiB of the
# raw data area straight from the image, warm cache, in the same run, and prints the ratios:
#   (a) the recording's units lie in runs of 512 units (32 MiB), the runs out of order with gaps;
#   (b) the same units in shuffled order: every unit in a separate place.
# (b) is also set against dd bs=64K, which reads in requests of one unit as (b) must.
# Also times the index parser on a 1 MiB index file (goal: under 5 ms).
# Our figures exclude the library's drive scan at start; dd's are its own reported copy times.
# Rounds (REPEATS, default 5) run every contender once each; the best round of each is kept.
# Environment: BUILD_DIR (default build), BENCH_DIR (default $BUILD_DIR/bench-recording), REPEATS.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/bench_lib.sh

build=${BUILD_DIR:-build}
work=${BENCH_DIR:-$build/bench-recording}
repeats=${REPEATS:-5}

build_targets "$build" make_bench_recording read_file_bench parse_index_bench

rm -rf "$work"
mkdir -p "$work/devices"
devices=$(cd "$work/devices" && pwd)
echo "bench: building the recording disk in $devices"
read -r area_offset payload_bytes < <("$build/bin/make_bench_recording" "$devices" "$work/large.nvr")
image="$devices/PhysicalDrive1"
cat "$image" >/dev/null  # warm the page cache

dd_seconds() {
  dd "$@" of=/dev/null 2>&1 | awk -F', ' '/copied/ { split($(NF-1), t, " "); print t[1] }'
}
our_export() {
  local bytes seconds
  read -r bytes seconds _ < <("$build/bin/read_file_bench" "$devices" "$1" 1 recording)
  [ "$bytes" -gt "$payload_bytes" ] || { echo "bench: read $bytes bytes of $1" >&2; exit 1; }
  echo "$seconds"
}

declare -A best
keep() { best[$1]=$(smaller "$2" "${best[$1]:-}"); }
for round in $(seq "$repeats"); do
  echo "bench: round $round of $repeats"
  keep runs "$(our_export /1/0/runs.nvr)"
  keep dd "$(dd_seconds if="$image" bs=1M iflag=skip_bytes,count_bytes skip="$area_offset" count="$payload_bytes")"
  keep scattered "$(our_export /1/0/scattered.nvr)"
  keep dd64k "$(dd_seconds if="$image" bs=64K iflag=skip_bytes,count_bytes skip="$area_offset" count="$payload_bytes")"
done
read -r index_bytes index_units parse_seconds < <("$build/bin/parse_index_bench" "$work/large.nvr" 20)

row() { printf "%-52s %10s %10s %7s   %s\n" "$@"; }
echo
row "measurement" "ours" "theirs" "ratio" "goal"
row "(a) export, units in long runs vs dd bs=1M (MiB/s)" "$(mib_per_s "$payload_bytes" "${best[runs]}")" \
  "$(mib_per_s "$payload_bytes" "${best[dd]}")" "$(ratio "${best[dd]}" "${best[runs]}")" ">= 0.90"
row "(b) export, every unit apart vs dd bs=1M (MiB/s)" "$(mib_per_s "$payload_bytes" "${best[scattered]}")" \
  "$(mib_per_s "$payload_bytes" "${best[dd]}")" "$(ratio "${best[dd]}" "${best[scattered]}")" ">= 0.70"
row "(b) export, every unit apart vs dd bs=64K (MiB/s)" "$(mib_per_s "$payload_bytes" "${best[scattered]}")" \
  "$(mib_per_s "$payload_bytes" "${best[dd64k]}")" "$(ratio "${best[dd64k]}" "${best[scattered]}")" "(one unit per request)"
row "(c) parsing a $((index_bytes / 1024)) KiB index ($index_units units), ms" \
  "$(awk -v s="$parse_seconds" 'BEGIN { printf "%.2f", s * 1000 }')" "-" "-" "< 5"
echo "Ratios are ours / dd in throughput; above 1 means ours is faster."
