// Builds ext2 volumes with mke2fs -d straight into the image at the partition's offset, so the
// volume is what Debian's tools make and e2fsck can judge it.
#include "ext2_volume_maker.h"

#include "run_process.h"
#include "tree_writer.h"

#include <stdexcept>
#include <sys/stat.h>

namespace nvrtest {
namespace {

// Our extended options come first; a caller's "-E" value is appended so both apply (mke2fs
// keeps only the last -E it is given).
std::string extendedOptions(uint64_t offset, const std::vector<std::string>& extra) {
    std::string options = "offset=" + std::to_string(offset) + ",nodiscard,root_owner=0:0";
    for (size_t index = 0; index + 1 < extra.size(); ++index)
        if (extra[index] == "-E") options += "," + extra[index + 1];
    return options;
}

std::vector<std::string> withoutExtendedOptions(const std::vector<std::string>& extra) {
    std::vector<std::string> kept;
    for (size_t index = 0; index < extra.size(); ++index) {
        if (extra[index] == "-E" && index + 1 < extra.size()) {
            ++index;
            continue;
        }
        kept.push_back(extra[index]);
    }
    return kept;
}

std::vector<std::string> mke2fsArguments(const std::string& imagePath, uint64_t offset, uint64_t sizeBytes,
                                         const Ext2Options& options, const std::string& treePath) {
    std::vector<std::string> arguments = {"mke2fs", "-q", "-F", "-t", "ext2",
                                          "-b", std::to_string(options.blockSize),
                                          "-I", std::to_string(options.inodeSize),
                                          "-E", extendedOptions(offset, options.extraOptions),
                                          "-d", treePath};
    for (auto& option : withoutExtendedOptions(options.extraOptions)) arguments.push_back(option);
    arguments.push_back(imagePath);
    arguments.push_back(std::to_string(sizeBytes / options.blockSize));
    return arguments;
}

}  // namespace

void makeExt2Volume(const std::string& imagePath, uint64_t offset, uint64_t sizeBytes,
                    const Ext2Options& options) {
    if (options.blockSize == 0 || sizeBytes / options.blockSize == 0)
        throw std::invalid_argument("ext2 volume smaller than one block");
    TempDir tree("nvrtree");
    ::chmod(tree.path().c_str(), 0755);  // becomes the root directory's mode
    writeTree(tree.path(), options.tree);
    ProcessResult result = runProcess(mke2fsArguments(imagePath, offset, sizeBytes, options, tree.path()));
    if (!result.succeeded())
        throw std::runtime_error("mke2fs failed (exit " + std::to_string(result.exitCode) + "): " + result.output);
}

}  // namespace nvrtest
