#!/usr/bin/env bash
# Builds and runs every test twice: a normal build in build/ and an AddressSanitizer +
# UndefinedBehaviorSanitizer build in build-asan/. Fails when anything fails.
# NVRDISK_BUILD_DIR names another pair of build directories (DIR and DIR-asan).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/build_tree.sh

bash scripts/setup.sh

export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# Runs the tests of one build directory; its summary goes to $directory/ctest-summary.txt.
run_tests() {
  local directory=$1
  local status=0
  ctest --test-dir "$directory" --output-on-failure --no-tests=error -j2 2>&1 | tee "$directory/ctest.log" ||
    status=$?
  grep -E "tests passed|tests failed|Total Test time|The following tests (FAILED|did not run)|^[[:space:]]+[0-9]+ - " \
    "$directory/ctest.log" >"$directory/ctest-summary.txt" || true
  return "$status"
}

normal=${NVRDISK_BUILD_DIR:-build}
sanitized=$normal-asan

failed=0
build_tree "$normal"
run_tests "$normal" || failed=1
# Unoptimised: the sanitizer build compiles much faster, and the tests stay short.
build_tree "$sanitized" -DNVRDISK_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
run_tests "$sanitized" || failed=1

for directory in "$normal" "$sanitized"; do
  echo
  echo "== $directory"
  cat "$directory/ctest-summary.txt"
done

if [ "$failed" -ne 0 ]; then
  echo "test: FAILED" >&2
  exit 1
fi
echo "test: all tests passed in both builds"
