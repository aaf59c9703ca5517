// Requests: the length and the field offsets of every code, decoding back, refusals, and the rule
// of request 32.
#include <gtest/gtest.h>

#include <cstring>

#include "nvr/byte_reader.h"
#include "protocol/records.h"
#include "protocol/requests.h"

namespace protocol {
namespace {

Request sample(uint8_t code) {
    Request request;
    request.code = code;
    request.handle = 0x0A0B0C0D;
    request.number = 0x00100002;
    request.wide = -3;
    request.disk.hdindex = 9;
    request.find.lType = TQHD_TYPE_FILE;
    std::strcpy(request.find.szName, "a.nvr");
    request.find.lInode = 77;
    request.text = "/9/0/dir/";
    return request;
}

std::vector<uint8_t> encoded(const Request& request) {
    auto bytes = encodeRequest(request);
    EXPECT_TRUE(bytes.ok());
    return bytes.ok() ? bytes.value() : std::vector<uint8_t>{};
}

// Where a field sits in a code's message; offset 0 means the code does not carry it.
struct Layout {
    uint8_t code;
    size_t length;
    size_t handleAt, numberAt, wideAt, diskAt, findAt, countAt, textAt;
};

TEST(Requests, EveryCodeHasItsLengthAndFieldOffsets) {
    const size_t n = 9;  // "/9/0/dir/"
    const Layout layouts[] = {
        {kGetHardDiskList, 4, 0, 0, 0, 0, 0, 0, 0},
        {kOpenHardDisk, 84, 0, 0, 0, 4, 0, 0, 0},
        {kCloseHandle, 8, 4, 0, 0, 0, 0, 0, 0},
        {kGetDriverList, 8, 4, 0, 0, 0, 0, 0, 0},
        {kOpenFindFile, 292, 4, 0, 8, 0, 16, 0, 0},
        {kGetFindFile, 8, 4, 0, 0, 0, 0, 0, 0},
        {kOpenFileByFind, 284, 4, 0, 0, 0, 8, 0, 0},
        {kOpenAVFileByIndexFileCon, 12, 4, 8, 0, 0, 0, 0, 0},
        {kOpenAVFileByFind, 284, 4, 0, 0, 0, 8, 0, 0},
        {kOpenAVFileByName, 20 + n, 0, 0, 4, 0, 0, 12, 20},
        {kGetFileLength, 8, 4, 0, 0, 0, 0, 0, 0},
        {kReadFile, 12, 4, 8, 0, 0, 0, 0, 0},
        {kSeekFile, 24, 4, 8, 16, 0, 0, 0, 0},
        {kOpenHardDiskByRName, 8 + n, 0, 0, 0, 0, 0, 4, 8},
        {kUnInitialize, 4, 0, 0, 0, 0, 0, 0, 0},
        {kGetDriverListByRName, 8 + n, 0, 0, 0, 0, 0, 4, 8},
        {kOpenFindFileByRName, 8 + n, 0, 0, 0, 0, 0, 4, 8},
        {kOpenFileByRName, 8 + n, 0, 0, 0, 0, 0, 4, 8},
        {kOpenAVFileByRName, 8 + n, 0, 0, 0, 0, 0, 4, 8},
        {kGetFileCurrentPosition, 8, 4, 0, 0, 0, 0, 0, 0},
        {kFormatHDDByFind, 85, 0, 0, 0, 4, 0, 0, 0},
        {kFormatHDDByRName, 12 + n, 0, 4, 0, 0, 0, 8, 12},
        {kOpenHardDiskByDir, 8 + n, 0, 0, 0, 0, 0, 4, 8},
        {kIsNvrFile, 8 + n, 0, 0, 0, 0, 0, 4, 8},
        {kGetDeviceInfo, 88, 0, 84, 0, 4, 0, 0, 0},
        {kGetDeviceInfoByRName, 12 + n, 0, 4, 0, 0, 0, 8, 12},
        {kRegistIntCallBack, 8, 4, 0, 0, 0, 0, 0, 0},
        {kRegistIntCallBackByRName, 8 + n, 0, 0, 0, 0, 0, 4, 8},
        {kStop, 8, 4, 0, 0, 0, 0, 0, 0},
        {kSetExeFileName, 12 + n, 4, 0, 0, 0, 0, 8, 12},
        {kGetDiskList, 4, 0, 0, 0, 0, 0, 0, 0},
    };
    for (const Layout& layout : layouts) {
        SCOPED_TRACE(static_cast<int>(layout.code));
        const Request request = sample(layout.code);
        const std::vector<uint8_t> bytes = encoded(request);
        ASSERT_EQ(bytes.size(), layout.length);
        nvr::ByteReader reader(bytes);
        EXPECT_EQ(reader.u8(0), layout.code);
        EXPECT_EQ(reader.u16le(2), layout.length);
        if (layout.handleAt) {
            EXPECT_EQ(reader.u32le(layout.handleAt), request.handle);
        }
        if (layout.numberAt) {
            EXPECT_EQ(reader.u32le(layout.numberAt), request.number);
        }
        if (layout.wideAt) {
            EXPECT_EQ(static_cast<int64_t>(reader.u64le(layout.wideAt)), -3);
        }
        if (layout.diskAt) {
            EXPECT_EQ(reader.i32le(layout.diskAt + 8), 9);
        }
        if (layout.findAt) {
            EXPECT_EQ(reader.u32le(layout.findAt + kFindInodeOffset), 77u);
        }
        if (layout.countAt) {
            EXPECT_EQ(reader.u32le(layout.countAt), n);
        }
        if (layout.textAt) {
            EXPECT_EQ(reader.text(layout.textAt, n), request.text);
        }

        auto decoded = decodeRequest(bytes);
        ASSERT_TRUE(decoded.ok());
        EXPECT_EQ(decoded->code, layout.code);
        EXPECT_EQ(decoded->handle, layout.handleAt ? request.handle : 0u);
        EXPECT_EQ(decoded->wide, layout.wideAt ? -3 : 0);
        EXPECT_EQ(decoded->text, layout.textAt ? request.text : "");
        if (layout.diskAt) {
            EXPECT_EQ(decoded->disk.hdindex, 9);
        }
        if (layout.findAt) {
            EXPECT_STREQ(decoded->find.szName, "a.nvr");
        }
    }
}

TEST(Requests, FormatByFindCarriesTheForceFlagAsOneByte) {
    Request request = sample(kFormatHDDByFind);
    request.number = 1;
    auto bytes = encoded(request);
    EXPECT_EQ(bytes[84], 1);
    EXPECT_EQ(decodeRequest(bytes)->number, 1u);
    request.number = 5;  // anything but 1 is no force
    EXPECT_EQ(encoded(request)[84], 0);
}

TEST(Requests, BrokenMessagesAreMalformed) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<uint8_t> text = encoded(sample(kOpenFileByRName));
    text[4] = static_cast<uint8_t>(text.size());  // the count runs past the end
    std::vector<uint8_t> copy = encoded(makeDiskCopyRequest(1, 2));
    copy[4] = 2;  // the second text runs past the end
    std::vector<uint8_t> shortRead = {kReadFile, 0, 8, 0, 1, 0, 0, 0};
    const Case cases[] = {
        {"shorter than a header", {kReadFile, 0, 3}},
        {"read without its count", shortRead},
        {"text beyond the message", text},
        {"second text beyond the message", copy},
    };
    for (const Case& c : cases) EXPECT_EQ(decodeRequest(c.bytes).code(), kMalformed) << c.what;
}

TEST(Requests, CodesOutsideTheTableDecodeBare) {
    for (uint8_t code : {1, 2, 3, 35, 40, 57, 59, 61, 255}) {
        const std::vector<uint8_t> bytes = {code, 0, 8, 0, 1, 2, 3, 4};
        auto decoded = decodeRequest(bytes);
        ASSERT_TRUE(decoded.ok()) << int(code);
        EXPECT_EQ(decoded->code, code);
        EXPECT_EQ(decoded->handle, 0u);
    }
}

TEST(Requests, TooLongTextsAreRefusedNotCut) {
    Request request = sample(kOpenFileByRName);
    request.text.assign(4096 - 8, 'a');
    EXPECT_TRUE(encodeRequest(request).ok());
    request.text.push_back('a');
    EXPECT_EQ(encodeRequest(request).code(), kMalformed);
}

TEST(DiskCopyRequest, CarriesSourceThenTargetAsDecimalTexts) {
    const auto bytes = encoded(makeDiskCopyRequest(3, 17));
    ASSERT_EQ(bytes.size(), 12u + 1 + 2);
    nvr::ByteReader reader(bytes);
    EXPECT_EQ(reader.u32le(4), 2u) << "n2, the target's length, comes first";
    EXPECT_EQ(reader.u32le(8), 1u);
    EXPECT_EQ(reader.text(12, 3), "317");
    auto decoded = decodeRequest(bytes);
    ASSERT_TRUE(decoded.ok());
    auto drives = decodeCopyDrives(decoded.value());
    ASSERT_TRUE(drives.ok());
    EXPECT_EQ(drives->source, 3);
    EXPECT_EQ(drives->target, 17);
}

TEST(DiskCopyRequest, TextsThatAreNoNumbersAreRefused) {
    for (const auto& [source, target] : std::vector<std::pair<std::string, std::string>>{
             {"", "2"}, {"1", ""}, {"1a", "2"}, {"1", " 2"}, {"+1", "2"}, {"99999999999", "2"}}) {
        Request request = makeDiskCopyRequest(0, 0);
        request.text = source;
        request.secondText = target;
        EXPECT_EQ(decodeCopyDrives(request).code(), kMalformed) << source << "," << target;
    }
    Request negative = makeDiskCopyRequest(-1, 2);
    EXPECT_EQ(decodeCopyDrives(negative)->source, -1) << "the library answers a bad number itself";
}

}  // namespace
}  // namespace protocol
