// The resume record a stopped copy leaves in the last sector of its target.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/drive.h"

namespace drelmo {

constexpr uint16_t kResumeMagic = 0xA5A5;  // offset 0, u16
constexpr size_t kResumeOffsetField = 8;   // u64: target offset reached
using SectorBytes = std::array<uint8_t, platform::kSectorSize>;

SectorBytes encodeResumeRecord(uint64_t offset);
// The recorded offset, or nothing when the sector is not a resume record.
std::optional<uint64_t> decodeResumeRecord(std::span<const uint8_t> sector);

}  // namespace drelmo
