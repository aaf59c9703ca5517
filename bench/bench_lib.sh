# Shared by the bench scripts (sourced after they cd to the repository): building what they run,
# and the arithmetic of their tables.

# build_targets BUILD_DIR TARGET...: configures a Release build when the directory has none yet,
# then builds the targets (NVRDISK_JOBS jobs, default one per processor).
build_targets() {
  local build=$1
  shift
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
  fi
  cmake --build "$build" -j "${NVRDISK_JOBS:-$(nproc)}" --target "$@"
}

smaller() { awk -v a="$1" -v b="$2" 'BEGIN { print (b == "" || a < b) ? a : b }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
mib() { awk -v bytes="$1" 'BEGIN { printf "%.1f", bytes / 1048576 }'; }
mib_per_s() { awk -v bytes="$1" -v s="$2" 'BEGIN { printf "%.1f", bytes / 1048576 / s }'; }
