#!/usr/bin/env bash
# Compares the whole-drive copy (TQHD_DiskCopy, 10 MiB chunks, target flushed before done) with
#   dd if=SRC of=DST bs=10M conv=notrunc,fsync   and
#   ddrescue -f -c 20480 SRC DST MAP (10 MiB clusters) followed by sync DST
# on one 2 GiB NVR disk image of pattern data, copied onto an image of the same size whose blocks
# are written already, warm source cache, nothing left to write back when a measurement starts. Rounds (REPEATS, default 3) run every contender once each, in
# turn, and the best round of each is kept. Prints throughputs and ratios (ours / theirs, above 1
# means ours is faster). Environment: BUILD_DIR (default build), BENCH_DIR, REPEATS, SIZE_MIB.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/bench_lib.sh

build=${BUILD_DIR:-build}
work=${BENCH_DIR:-$build/bench-copy}
repeats=${REPEATS:-3}
size=$(( ${SIZE_MIB:-2048} << 20 ))

build_targets "$build" copy_bench

rm -rf "$work"
mkdir -p "$work/devices"
trap 'rm -rf "$work"' EXIT
devices=$(cd "$work/devices" && pwd)
echo "bench: building a $((size >> 20)) MiB source image in $devices"
bytes=$("$build/bin/copy_bench" make "$devices" "$size")
source="$devices/PhysicalDrive1"
target="$devices/PhysicalDrive2"
# One unmeasured copy gives the target real, written blocks, so every contender overwrites
# allocated space; sync leaves no writeback of the new images to run during a measurement.
dd if="$source" of="$target" bs=10M conv=fsync status=none
sync
cat "$source" >/dev/null

seconds_now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.6f", b - a }'; }

timed() {
  local start end
  sync
  start=$(seconds_now)
  "$@" >/dev/null 2>&1
  end=$(seconds_now)
  elapsed "$start" "$end"
}

ours() {
  local copied seconds
  sync
  read -r copied seconds < <("$build/bin/copy_bench" copy "$devices" 1 2)
  [ "$copied" -eq "$bytes" ] || { echo "bench: copied $copied of $bytes bytes" >&2; exit 1; }
  echo "$seconds"
}

rescue() {
  rm -f "$work/rescue.map"
  ddrescue -q -f -c 20480 "$source" "$target" "$work/rescue.map" && sync "$target"
}

declare -A best
keep() { best[$1]=$(smaller "$2" "${best[$1]:-}"); }
for round in $(seq "$repeats"); do
  echo "bench: round $round of $repeats"
  keep ours "$(ours)"
  cmp -s "$source" "$target" || { echo "bench: the copy differs from its source" >&2; exit 1; }
  keep dd "$(timed dd if="$source" of="$target" bs=10M conv=notrunc,fsync)"
  keep ddrescue "$(timed rescue)"
done

row() { printf "%-52s %10s %10s %8s   %s\n" "$@"; }
echo
echo "Copy of $(awk -v b="$bytes" 'BEGIN { printf "%.0f", b / 1048576 }') MiB, image onto image, best of $repeats rounds."
row "measurement (MiB/s)" "ours" "theirs" "ratio" "goal"
row "TQHD_DiskCopy vs dd bs=10M conv=notrunc,fsync" "$(mib_per_s "$bytes" "${best[ours]}")" \
  "$(mib_per_s "$bytes" "${best[dd]}")" "$(ratio "${best[dd]}" "${best[ours]}")" ">= 0.95"
row "TQHD_DiskCopy vs ddrescue -c 20480 + sync" "$(mib_per_s "$bytes" "${best[ours]}")" \
  "$(mib_per_s "$bytes" "${best[ddrescue]}")" "$(ratio "${best[ddrescue]}" "${best[ours]}")" ">= 1"
