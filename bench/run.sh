#!/usr/bin/env bash
# Compares the disk library with dd and debugfs on one ~300 MiB NVR disk image, warm cache, in
# one run, and prints a table of throughputs and ratios (ours / theirs; above 1 means faster).
#
#   (a) a 256 MiB ext2 file (4 KiB blocks) read through TQHD_ReadFile in 1 MiB reads, against
#       dd bs=1M over 256 MiB of the image starting at the file's first block (the file's own
#       blocks span a little more, with indirect blocks between them), and against
#       debugfs -R "dump" of the file to /dev/null;
#   (b) the whole drive through a whole-drive handle ("/1/") in 1 MiB reads, against
#       dd if=image bs=1M of=/dev/null;
#   (c) listing a directory of 3800 entries with TQHD_OpenFindFileByRName + TQHD_GetFindFile,
#       against debugfs -R "ls" and -R "ls -l" of that directory.
#
# Our figures exclude the library's drive scan at start (the programs time only reads and
# listings). dd's figures are its own reported copy times. debugfs runs as a whole program, so
# its times include opening the volume. Measurements run in rounds (REPEATS, default 5), each
# round every contender once, and the best round of each is kept.
# Environment: BUILD_DIR (default build), BENCH_DIR (default $BUILD_DIR/bench-work), REPEATS.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/bench_lib.sh

build=${BUILD_DIR:-build}
work=${BENCH_DIR:-$build/bench-work}
repeats=${REPEATS:-5}
file_bytes=$((256 << 20))

build_targets "$build" make_bench_disk read_file_bench list_dir_bench

rm -rf "$work"
mkdir -p "$work/devices"
devices=$(cd "$work/devices" && pwd)
echo "bench: building the image in $devices"
read -r volume_offset _volume_size image_bytes < <("$build/bin/make_bench_disk" "$devices")
image="$devices/PhysicalDrive1"
volume="$image?offset=$volume_offset"  # debugfs opens the volume inside the image this way
first_block=$(debugfs -R "bmap /big.bin 0" "$volume" 2>/dev/null)
cat "$image" >/dev/null                  # warm the page cache

seconds_now() { date +%s.%N; }
elapsed() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.6f", b - a }'; }

# dd's own copy time in seconds; arguments go to dd.
dd_seconds() {
  dd "$@" of=/dev/null 2>&1 | awk -F', ' '/copied/ { split($(NF-1), t, " "); print t[1] }'
}

# Wall time of a whole debugfs run on the volume.
debugfs_seconds() {
  local start end
  start=$(seconds_now)
  debugfs -R "$1" "$volume" >/dev/null 2>&1
  end=$(seconds_now)
  elapsed "$start" "$end"
}

# Seconds of one read of an RName through the library, in a fresh process like dd's.
our_read() {
  local bytes seconds
  read -r bytes seconds _ < <("$build/bin/read_file_bench" "$devices" "$1" 1)
  [ "$bytes" -eq "$2" ] || { echo "bench: read $bytes of $2 bytes of $1" >&2; exit 1; }
  echo "$seconds"
}

declare -A best
keep() { best[$1]=$(smaller "$2" "${best[$1]:-}"); }

# Each round runs every contender once, one after the other, so that a change in the machine's
# load meets both sides alike; the best round of each is kept.
for round in $(seq "$repeats"); do
  echo "bench: round $round of $repeats"
  keep our_file "$(our_read /1/0/big.bin "$file_bytes")"
  keep dd_file "$(dd_seconds if="$image" bs=1M iflag=skip_bytes,count_bytes \
    skip=$((volume_offset + first_block * 4096)) count="$file_bytes")"
  keep debugfs_dump "$(debugfs_seconds "dump /big.bin /dev/null")"
  keep our_drive "$(our_read /1/ "$image_bytes")"
  keep dd_drive "$(dd_seconds if="$image" bs=1M)"
  read -r entries first again < <("$build/bin/list_dir_bench" "$devices" /1/0/crowd/ 20)
  keep our_list_first "$first"
  keep our_list_again "$again"
  keep debugfs_ls "$(debugfs_seconds "ls /crowd")"
  keep debugfs_lsl "$(debugfs_seconds "ls -l /crowd")"
done
our_file_seconds=${best[our_file]} dd_file_seconds=${best[dd_file]}
debugfs_dump_seconds=${best[debugfs_dump]}
our_drive_seconds=${best[our_drive]} dd_drive_seconds=${best[dd_drive]}
our_list_first=${best[our_list_first]} our_list_again=${best[our_list_again]}
debugfs_ls_seconds=${best[debugfs_ls]} debugfs_lsl_seconds=${best[debugfs_lsl]}

row() { printf "%-48s %12s %12s %8s   %s\n" "$@"; }
milliseconds() { awk -v s="$1" 'BEGIN { printf "%.2f ms", s * 1000 }'; }
echo
echo "Image $(mib "$image_bytes") MiB; file 256 MiB at volume block $first_block; $entries entries listed."
row "measurement" "ours" "theirs" "ratio" "goal"
row "(a) file, 1 MiB reads vs dd bs=1M (MiB/s)" "$(mib_per_s "$file_bytes" "$our_file_seconds")" \
  "$(mib_per_s "$file_bytes" "$dd_file_seconds")" "$(ratio "$dd_file_seconds" "$our_file_seconds")" ">= 0.90"
row "(a) file vs debugfs dump (MiB/s)" "$(mib_per_s "$file_bytes" "$our_file_seconds")" \
  "$(mib_per_s "$file_bytes" "$debugfs_dump_seconds")" "$(ratio "$debugfs_dump_seconds" "$our_file_seconds")" "> 1"
row "(b) whole drive vs dd bs=1M (MiB/s)" "$(mib_per_s "$image_bytes" "$our_drive_seconds")" \
  "$(mib_per_s "$image_bytes" "$dd_drive_seconds")" "$(ratio "$dd_drive_seconds" "$our_drive_seconds")" ">= 0.95"
row "(c) listing, first in process vs debugfs ls" "$(milliseconds "$our_list_first")" \
  "$(milliseconds "$debugfs_ls_seconds")" "$(ratio "$debugfs_ls_seconds" "$our_list_first")" "> 1"
row "(c) listing, first in process vs debugfs ls -l" "$(milliseconds "$our_list_first")" \
  "$(milliseconds "$debugfs_lsl_seconds")" "$(ratio "$debugfs_lsl_seconds" "$our_list_first")" "> 1"
row "(c) listing, repeated in process vs debugfs ls" "$(milliseconds "$our_list_again")" \
  "$(milliseconds "$debugfs_ls_seconds")" "$(ratio "$debugfs_ls_seconds" "$our_list_again")" "> 1"
echo "Ratios are ours / theirs in throughput (theirs / ours in time); above 1 means ours is faster."
