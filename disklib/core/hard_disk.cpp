#include "hard_disk.h"

namespace drelmo {

CTQHardDisk::CTQHardDisk() : CTQRootClass(kKindDisk), state_(std::make_shared<DiskState>()) {}

CTQHardDisk::~CTQHardDisk() { state_->Retire(); }

}  // namespace drelmo
