// libFuzzer target: the frame check over arbitrary bytes must stay inside them, end, and give
// the result of the literal byte-at-a-time scan.
#include <cstddef>
#include <cstdint>
#include <span>

#include "literal_check.h"
#include "videocheck/frame_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    if (videocheck::checkBytes(bytes) != videocheck_test::literalCheck(bytes)) __builtin_trap();
    return 0;
}
