// Share modes between the drive handles of this process: a handle opens only when every handle of
// the same drive allows its access, and it allows theirs.
#include "share_table.h"

#include <algorithm>
#include <mutex>
#include <vector>

namespace platform {
namespace {

struct ShareTable {
    std::mutex mutex;
    std::vector<const ShareLease*> leases;
};

// Never destroyed, so handles released during exit still find it.
ShareTable& table() {
    static ShareTable* instance = new ShareTable;
    return *instance;
}

bool compatible(const ShareLease& held, unsigned access, unsigned share) {
    const bool heldAllowsNew = (access & ~held.share()) == 0;
    const bool newAllowsHeld = (held.access() & ~share) == 0;
    return heldAllowsNew && newAllowsHeld;
}

}  // namespace

ShareLease::~ShareLease() {
    ShareTable& shares = table();
    std::lock_guard lock(shares.mutex);
    std::erase(shares.leases, this);
}

std::unique_ptr<ShareLease> acquireShare(const ShareKey& key, unsigned access, unsigned share) {
    ShareTable& shares = table();
    std::lock_guard lock(shares.mutex);
    for (const ShareLease* held : shares.leases) {
        if (held->key() == key && !compatible(*held, access, share)) return nullptr;
    }
    auto lease = std::make_unique<ShareLease>(key, access, share);
    shares.leases.push_back(lease.get());
    return lease;
}

}  // namespace platform
