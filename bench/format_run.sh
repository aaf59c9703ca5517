#!/usr/bin/env bash
# Compares formatting an NVR disk (`nvrdisk format N --yes`: the ext2 volume and the raw area,
# flushed before it reports done) with mke2fs -t ext2 making the same 4 GiB volume on the same
# image, for 1 KiB and 4 KiB blocks, and prints times, bytes written and ratios.
# The disk is built once per block size (a volume made by mke2fs -d holding camera folders of index
# files, and a raw area); every measurement starts from a fresh copy of it, with nothing left to
# write back. Three mke2fs runs are shown: as it runs by default on an image file, where it punches
# the volume's blocks out of the file and then skips the inode tables; with -E nodiscard, where it
# zeroes the inode tables by asking the file system for zeroed ranges (free on an image file); and
# as on a recorder's hard disk, which can neither discard nor zero blocks without writing them:
# nodiscard with fallocate refused (bench/no_zero_offload.cpp), so mke2fs writes the zeroes.
# Ours is shown twice: the whole `nvrdisk format` process (start, drive scan, format, exit), and
# the format inside the library alone (format_bench: from TQHD_FormatHDDByRName to the done event).
# Bytes written: what the process handed to write calls (and, in brackets, what it dirtied for the
# storage layer), from the kernel's accounting of the finished process.
# Rounds (REPEATS, default 3) run every contender once each; the best time of each is kept.
# Environment: BUILD_DIR (default build), BENCH_DIR, REPEATS.
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/bench_lib.sh

build=${BUILD_DIR:-build}
work=${BENCH_DIR:-$build/bench-format}
repeats=${REPEATS:-3}

build_targets "$build" nvrdisk format_bench make_bench_format_disk measured_run no_zero_offload

preload=$(cd "$build/lib" && pwd)/libno_zero_offload.so
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
work=$(cd "$work" && pwd)


# Puts a fresh copy of the pristine disk in place and lets nothing of it wait for writeback.
fresh_disk() {
  cp --sparse=always "$work/pristine.img" "$work/devices/PhysicalDrive1"
  sync
}

# measure NAME COMMAND...: one measured run; keeps the best time and the bytes of that kind.
declare -A seconds written dirtied
measure() {
  local name=$1 s w d
  shift
  fresh_disk
  if [ "$name" = library ]; then
    read -r s w < <("$@")  # format_bench times itself and counts only the format's writes
    d="-"
  else
    read -r s w d < <("$build/bin/measured_run" "$@")
  fi
  seconds[$name]=$(smaller "$s" "${seconds[$name]:-}")
  written[$name]=$w
  dirtied[$name]=$d
}

row() { printf "%-44s %9s %8s %8s %8s   %s\n" "$@"; }
for block in 1024 4096; do
  rm -rf "$work/devices"
  mkdir -p "$work/devices"
  echo "bench: building the NVR disk with a 4 GiB ext2 volume of $block-byte blocks"
  read -r offset size < <("$build/bin/make_bench_format_disk" "$work/devices" "$block")
  cp --sparse=always "$work/devices/PhysicalDrive1" "$work/pristine.img"
  truncate -s 1M "$work/devices/PhysicalDrive0"  # stands for the system disk: nvrdisk opens the drives itself
  image="$work/devices/PhysicalDrive1"
  blocks=$((size / block))
  seconds=() written=() dirtied=()
  for round in $(seq "$repeats"); do
    echo "bench: round $round of $repeats"
    measure library "$build/bin/format_bench" "$work/devices" 1
    measure ours env NVRDISK_DEVICE_DIR="$work/devices" "$build/bin/nvrdisk" format 1 --yes
    measure mke2fs mke2fs -q -F -t ext2 -b "$block" -E "offset=$offset" "$image" "$blocks"
    measure nodiscard mke2fs -q -F -t ext2 -b "$block" -E "offset=$offset,nodiscard" "$image" "$blocks"
    measure harddisk env LD_PRELOAD="$preload" \
      mke2fs -q -F -t ext2 -b "$block" -E "offset=$offset,nodiscard" "$image" "$blocks"
  done
  echo
  echo "== 4 GiB ext2 volume, $block-byte blocks"
  row "contender" "seconds" "MiB wr." "vs lib" "vs cli" "bytes written (dirtied for storage)"
  for name in library ours mke2fs nodiscard harddisk; do
    case $name in
      library) label="ours: format inside the library" ;;
      ours) label="ours: nvrdisk format, whole process" ;;
      mke2fs) label="mke2fs -t ext2 (image: discards)" ;;
      nodiscard) label="mke2fs -t ext2 -E nodiscard (image)" ;;
      harddisk) label="mke2fs -t ext2, as on a hard disk" ;;
    esac
    versus_library=- versus_cli=-
    if [ "$name" != library ] && [ "$name" != ours ]; then
      versus_library=$(ratio "${seconds[$name]}" "${seconds[library]}")
      versus_cli=$(ratio "${seconds[$name]}" "${seconds[ours]}")
    fi
    row "$label" "${seconds[$name]}" "$(mib "${written[$name]}")" "$versus_library" "$versus_cli" \
      "${written[$name]} (${dirtied[$name]})"
  done
  echo "vs lib, vs cli: mke2fs seconds / ours (the library's format, the whole nvrdisk process); above 1 means ours is faster"
  echo
done
