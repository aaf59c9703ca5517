// Preloaded into mke2fs by format_run.sh: refuses fallocate, so mke2fs zeroes its inode tables by
// writing them, as it must on a recorder's hard disk, which can neither discard blocks nor zero
// them without writing. On an image file mke2fs would otherwise punch or zero-range the blocks,
// which costs the file system nothing and hides what the disk would have to write.
#include <fcntl.h>

#include <cerrno>

extern "C" {

__attribute__((visibility("default"))) int fallocate(int, int, off_t, off_t) {
    errno = EOPNOTSUPP;
    return -1;
}

__attribute__((visibility("default"))) int fallocate64(int, int, off64_t, off64_t) {
    errno = EOPNOTSUPP;
    return -1;
}
}
