#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (build-fuzz/) and runs each for a bounded time on its
# seed corpus. NVRDISK_FUZZ_SECONDS sets the time per target (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

seconds=${NVRDISK_FUZZ_SECONDS:-60}
directory=${NVRDISK_FUZZ_BUILD_DIR:-build-fuzz}
targets=(disk_image_fuzzer make_disk_fuzz_seeds frame_check_fuzz index_parser_fuzzer make_index_fuzz_seeds
  message_decode_fuzzer make_protocol_fuzz_seeds)

if [ ! -f "$directory/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$directory" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNVRDISK_FUZZ=ON
fi
cmake --build "$directory" -j "${NVRDISK_JOBS:-$(nproc)}" --target "${targets[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/disk-seeds" "$work/disk-corpus" "$work/frame-corpus" "$work/index-seeds" "$work/index-corpus" \
  "$work/message-seeds" "$work/message-corpus"
"$directory/bin/make_disk_fuzz_seeds" "$work/disk-seeds"
"$directory/bin/make_index_fuzz_seeds" "$work/index-seeds"
"$directory/bin/make_protocol_fuzz_seeds" "$work/message-seeds"

# Runs one fuzzer; any crash, leak or sanitizer report fails the script.
run_fuzzer() {
  local name=$1
  shift
  echo "fuzz: $name for ${seconds}s"
  "$directory/bin/$name" -max_total_time="$seconds" -timeout=25 -rss_limit_mb=2048 "$@" 2>"$work/$name.log" ||
    { tail -n 60 "$work/$name.log"; echo "fuzz: $name FAILED" >&2; return 1; }
  grep -E "^Done [0-9]+ runs" "$work/$name.log" || true
}

run_fuzzer disk_image_fuzzer -max_len=300000 "$work/disk-corpus" "$work/disk-seeds"
run_fuzzer frame_check_fuzz -max_len=65536 "$work/frame-corpus"
run_fuzzer index_parser_fuzzer -max_len=65536 "$work/index-corpus" "$work/index-seeds"
run_fuzzer message_decode_fuzzer -max_len=16384 "$work/message-corpus" "$work/message-seeds"
echo "fuzz: no crashes"
