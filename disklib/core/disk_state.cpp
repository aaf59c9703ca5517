#include "disk_state.h"

#include "ext2_layout.h"
#include "nvr/byte_reader.h"
#include "platform/debug.h"
#include "platform/message_sink.h"

namespace drelmo {

namespace {

constexpr size_t kNameOffset = 165;
constexpr size_t kNameLength = 32;

std::unique_ptr<platform::Drive> openForReading(int number) {
    auto drive = platform::openDrive(number, platform::Access::Read, platform::kShareRead | platform::kShareWrite);
    if (!drive) drive = platform::openDrive(number, platform::Access::Read, platform::kShareRead);
    return drive;
}

}  // namespace

DiskState::DiskState() = default;

DiskState::~DiskState() { Retire(); }

bool DiskState::DriveOpen() {
    nvr::CAutoCri guard(lock_);
    return drive_ != nullptr;
}

void DiskState::CloseDrive() {
    nvr::CAutoCri guard(lock_);
    drive_.reset();
}

bool DiskState::ReopenForReading() {
    nvr::CAutoCri guard(lock_);
    drive_.reset();
    drive_ = openForReading(driveNumber_);
    return drive_ != nullptr;
}

int32_t DiskState::ReadCapacityMiB() {
    const int64_t length = drive_ ? drive_->length() : -1;
    return length > 0 ? static_cast<int32_t>(length / 1024 / 1024) : 0;
}

int32_t DiskState::Probe(TQHD_DISK_INFO* info) {
    nvr::CAutoCri guard(lock_);
    if (info == nullptr) return TQHD_E_PARAM;
    info_ = *info;
    driveNumber_ = info->hdindex;
    drive_ = openForReading(driveNumber_);
    if (!drive_) return TQHD_E_NOTFOUND;
    return Judge(info);
}

int32_t DiskState::ProbeWith(std::unique_ptr<platform::Drive> drive, TQHD_DISK_INFO* info) {
    nvr::CAutoCri guard(lock_);
    if (info == nullptr || !drive) return TQHD_E_PARAM;
    info_ = *info;
    driveNumber_ = info->hdindex;
    drive_ = std::move(drive);
    return Judge(info);
}

// Reads the boot record and decides: the signature, or an ext2 superblock in the first partition.
int32_t DiskState::Judge(TQHD_DISK_INFO* info) {
    bootBytes_.fill(0);
    const bool bootRead = drive_->readAt(0, bootBytes_.data(), bootBytes_.size()) == kBootRecordSize;
    boot_ = decodeBootRecord(bootBytes_);
    lDriver_ = entryScanLimit(boot_);
    if (bootRead && boot_.hasMarker) {
        if (boot_.hasSignature) return TQHD_OK;
        // Without the signature, an ext2 superblock in the first partition makes an NVR disk.
        std::vector<uint8_t> superblock;
        const nvr::Code code = readSuperblock(*drive_, boot_.entries[0].firstSector, superblock);
        if (code == TQHD_OK) {
            platform::debugOut("# test # 获取分区%d的超级块成功\n", 1);
            return TQHD_OK;
        }
        info->lSize = ReadCapacityMiB();
        drive_.reset();
        platform::debugOut("# test # 获取分区%d的超级块错误, 错误号码 = %d\n", 1, code);
        return code;
    }
    info->lSize = ReadCapacityMiB();
    drive_.reset();
    return TQHD_E_UNRECOGNISED;
}

int64_t DiskState::GetLength() {
    nvr::CAutoCri guard(lock_);
    return drive_ ? drive_->length() : -1;
}

std::string DiskState::ReadName() {
    nvr::CAutoCri guard(lock_);
    if (!drive_) return name_;
    std::array<uint8_t, platform::kSectorSize> sector{};
    const uint64_t position = uint64_t{boot_.entries[kRawAreaEntry].firstSector} * platform::kSectorSize;
    if (drive_->readAt(position, sector.data(), sector.size()) != static_cast<int64_t>(sector.size())) return name_;
    nvr::ByteReader reader(sector);
    name_ = reader.text(kNameOffset, kNameLength);
    return name_;
}

int32_t DiskState::ReadAt(void* buffer, int32_t count, int64_t* position) {
    nvr::CAutoCri guard(lock_);
    if (!drive_ || position == nullptr || *position < 0 || count < 0) return -1;
    const int64_t got = drive_->readAt(static_cast<uint64_t>(*position), buffer, static_cast<size_t>(count));
    if (got < 0) return -1;
    *position += got;
    return static_cast<int32_t>(got);
}

void DiskState::SetCallback(uint32_t userValue, TQHD_EVENT_CALLBACK callback) {
    nvr::CAutoCri guard(lock_);
    registrations_.userValue = userValue;
    registrations_.callback = callback;
}

void DiskState::SetWindow(uint32_t userValue, TQHD_HWND window, uint32_t messageId) {
    nvr::CAutoCri guard(lock_);
    registrations_.userValue = userValue;
    registrations_.window = window;
    registrations_.messageId = messageId;
}

void DiskState::Notify(TQHD_EVENT* event) {
    nvr::CAutoCri guard(lock_);
    const Registrations current = registrations_;
    guard.Release();
    if (current.window != nullptr) {
        platform::sendMessage(current.window, current.messageId, current.userValue,
                              reinterpret_cast<intptr_t>(event));
    }
    if (current.callback != nullptr) current.callback(current.userValue, event);
}

void DiskState::RequestStop() {
    if (copyWorker && copyWorker->started()) {
        copyWorker->postQuit();
        ClearInodeCaches();
    }
    if (formatWorker && formatWorker->started()) {
        formatWorker->postQuit();
        ClearInodeCaches();
    }
}

void DiskState::Retire() {
    stopFlag = true;
    for (auto* worker : {&formatWorker, &copyWorker}) {
        if (*worker && (*worker)->started()) (*worker)->join();
        worker->reset();
    }
    nvr::CAutoCri guard(lock_);
    ReleaseVolumes();
    volumes_.clear();
    drive_.reset();
    retired = true;
}

int32_t StopRequested() {
    platform::Message message;
    if (platform::peekMessage(message) && message.id == platform::kQuitMessage) return TQHD_E_STOPPED;
    return TQHD_OK;
}

}  // namespace drelmo
