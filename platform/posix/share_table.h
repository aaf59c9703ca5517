// The process-wide table of open drive handles that makes share modes hold between them.
#pragma once

#include <cstdint>
#include <memory>

namespace platform {

// What a drive is known by in the table: a block device by its device number (every node of one
// disk is the same drive), a file by its file system and inode (every link to one image too).
struct ShareKey {
    bool blockDevice = false;
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const ShareKey&) const = default;
};

// One handle's entry; leaving the table when destroyed.
class ShareLease {
public:
    ShareLease(ShareKey key, unsigned access, unsigned share) : key_(key), access_(access), share_(share) {}
    ~ShareLease();
    ShareLease(const ShareLease&) = delete;
    ShareLease& operator=(const ShareLease&) = delete;

    const ShareKey& key() const { return key_; }
    unsigned access() const { return access_; }
    unsigned share() const { return share_; }

private:
    ShareKey key_;
    unsigned access_;  // kShareRead / kShareWrite bits for the access the handle holds
    unsigned share_;   // what the handle lets other handles do
};

// Enters a handle with `access` (kShareRead, plus kShareWrite for writing) and `share` into the
// table; null when it conflicts with a handle already there.
std::unique_ptr<ShareLease> acquireShare(const ShareKey& key, unsigned access, unsigned share);

}  // namespace platform
