// Requests, built by the client and decoded by the service with one layout table.
//
// Request 32 (disk copy) carries the two physical drive numbers as decimal texts: the first
// text is the source drive, the second the target ("3" and "7" copy drive 3 onto drive 7). Only
// plain decimal digits with an optional leading '-' are accepted; decodeCopyDrives applies the rule.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "nvr/result.h"
#include "protocol/constants.h"
#include "tqhd_types.h"

namespace protocol {

// Every field a request may carry; a code uses the fields its layout names (requests.cpp).
struct Request {
    uint8_t code = 0;
    uint32_t handle = 0;     // the disk, find, file or job handle (service numbers)
    uint32_t number = 0;     // byte count (11, 15), origin (16), force (24, 25), selector (28, 29)
    int64_t wide = 0;        // volume (8), second argument (13), offset (16), sign-extended
    TQHD_DISK_INFO disk{};   // 5, 24, 28
    TQHD_FIND_DATA find{};   // 8 (all zero for none), 10, 12
    std::string text;        // the counted text; the source drive of 32
    std::string secondText;  // the target drive of 32
};

// The request's bytes (header included), or kMalformed when it would exceed kMessageLimit.
// Codes outside the table encode as a bare header.
nvr::Result<std::vector<uint8_t>> encodeRequest(const Request& request);
// Decodes one whole message (its length field equals the span's size). kMalformed when the
// length is below the code's fixed part or a counted text runs past the end. Codes that are not
// requests decode with only `code` set.
nvr::Result<Request> decodeRequest(std::span<const uint8_t> message);

// Request 32 for copying drive `source` onto drive `target`.
Request makeDiskCopyRequest(int32_t source, int32_t target);
struct CopyDrives {
    int32_t source = 0;
    int32_t target = 0;
};
// The drive numbers of a decoded request 32; kMalformed when a text is not a decimal number.
nvr::Result<CopyDrives> decodeCopyDrives(const Request& request);

}  // namespace protocol
