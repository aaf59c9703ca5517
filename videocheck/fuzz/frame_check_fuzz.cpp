// libFuzzer target: the frame check over arbitrary bytes must neither read out of bounds nor hang,
// and must agree with the check of the same bytes read back from a file.
#include <cstddef>
#include <cstdint>
#include <span>

#include "videocheck/frame_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const videocheck::CheckCode code = videocheck::checkBytes(std::span<const uint8_t>(data, size));
    if (size == 0 && code != videocheck::CheckCode::ReadFailure) __builtin_trap();
    if (code == videocheck::CheckCode::NotSupportWatermark) __builtin_trap();
    return 0;
}
