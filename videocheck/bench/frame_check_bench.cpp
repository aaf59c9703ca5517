// Speed of the frame check against md5sum on the same file, warm cache:
//   videocheck_bench [directory] [size in MiB of the frame file, default 1024]
// Prints MB/s of the check on a file of well-formed frames and on a 64 MiB file with no frame
// header, md5sum's MB/s on the frame file, and the ratio.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "videocheck/frame_check.h"
#include "videocheck/frame_header.h"

namespace {

using Clock = std::chrono::steady_clock;

// Frames of 4 to 200 KiB with correct check bytes, like a recording.
void writeFrameFile(const std::string& path, uint64_t size) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    std::mt19937 random(7);
    std::vector<uint8_t> payload;
    for (uint64_t written = 0; written < size;) {
        payload.resize(4096 + random() % (200 << 10));
        for (uint8_t& byte : payload) byte = static_cast<uint8_t>(random());
        videocheck::FrameHeader header;
        header.payloadLength = static_cast<uint32_t>(payload.size());
        header.checkByte = videocheck::payloadCheckSum(payload);
        std::array<uint8_t, videocheck::FrameHeader::kEncodedSize> encoded{};
        videocheck::encodeFrameHeader(header, encoded);
        file.write(reinterpret_cast<const char*>(encoded.data()), encoded.size());
        file.write(reinterpret_cast<const char*>(payload.data()), static_cast<std::streamsize>(payload.size()));
        written += encoded.size() + payload.size();
    }
}

// Random bytes in which "dc" never follows a stream type: no header anywhere.
void writeHeaderlessFile(const std::string& path, uint64_t size) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    std::mt19937 random(11);
    std::vector<uint8_t> block(1 << 20);
    for (uint64_t written = 0; written < size; written += block.size()) {
        for (uint8_t& byte : block) {
            byte = static_cast<uint8_t>(random());
            if (byte == 'c') byte = 'C';
        }
        file.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size()));
    }
}

double seconds(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double checkRate(const std::string& path, uint64_t size) {
    videocheck::checkFile(path);  // warms the cache
    const auto start = Clock::now();
    const videocheck::CheckCode code = videocheck::checkFile(path);
    const double rate = size / 1e6 / seconds(start);
    if (code != videocheck::CheckCode::Success) std::printf("unexpected result %d for %s\n", static_cast<int>(code), path.c_str());
    return rate;
}

double md5Rate(const std::string& path, uint64_t size) {
    const std::string command = "md5sum '" + path + "' > /dev/null";
    if (std::system(command.c_str()) != 0) return 0;
    const auto start = Clock::now();
    if (std::system(command.c_str()) != 0) return 0;
    return size / 1e6 / seconds(start);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string directory = argc > 1 ? argv[1] : std::filesystem::temp_directory_path().string();
    const uint64_t frameSize = (argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1024) << 20;
    const uint64_t headerlessSize = uint64_t{64} << 20;
    const std::string frames = directory + "/videocheck-bench-frames.264";
    const std::string headerless = directory + "/videocheck-bench-noheader.264";
    writeFrameFile(frames, frameSize);
    writeHeaderlessFile(headerless, headerlessSize);
    const uint64_t actualFrameSize = std::filesystem::file_size(frames);

    const double check = checkRate(frames, actualFrameSize);
    const double md5 = md5Rate(frames, actualFrameSize);
    const double scan = checkRate(headerless, headerlessSize);
    std::printf("frame check, %llu MiB of frames: %.0f MB/s\n", static_cast<unsigned long long>(actualFrameSize >> 20), check);
    std::printf("md5sum, same file:               %.0f MB/s (check/md5sum = %.2f)\n", md5, md5 > 0 ? check / md5 : 0.0);
    std::printf("frame check, 64 MiB no header:   %.0f MB/s (needed: 200)\n", scan);
    std::filesystem::remove(frames);
    std::filesystem::remove(headerless);
    return check > md5 && scan >= 200 ? 0 : 1;
}
