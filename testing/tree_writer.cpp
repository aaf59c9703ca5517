// Creates tree entries as host files; big pattern files are written in pieces to bound memory.
#include "tree_writer.h"

#include "file_descriptor.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>

namespace nvrtest {
namespace {

constexpr uint64_t kPieceSize = 1 << 20;

// The entry's path relative to the tree root, checked to stay below it.
std::filesystem::path relativePath(const std::string& path) {
    std::filesystem::path relative = std::filesystem::path(path).relative_path().lexically_normal();
    if (relative.empty() || relative == ".")
        throw std::invalid_argument("tree entry without a name: \"" + path + "\"");
    if (*relative.begin() == "..") throw std::invalid_argument("tree entry outside the tree: " + path);
    return relative;
}

void writePatternFile(const FileDescriptor& file, uint64_t seed, uint64_t size) {
    std::vector<uint8_t> piece(std::min(size, kPieceSize));
    for (uint64_t offset = 0; offset < size; offset += piece.size()) {
        std::span<uint8_t> part(piece.data(), std::min<uint64_t>(piece.size(), size - offset));
        fillPattern(seed, offset, part);
        writeAllAt(file, part.data(), part.size(), offset);
    }
}

void writeFile(const std::filesystem::path& path, const TreeEntry& entry) {
    std::filesystem::create_directories(path.parent_path());
    FileDescriptor file = openFile(path.string(), O_WRONLY | O_CREAT | O_TRUNC);
    if (!entry.content.empty()) {
        writeAllAt(file, entry.content.data(), entry.content.size(), 0);
    } else if (entry.seed != 0) {
        writePatternFile(file, entry.seed, entry.size);
    }
}

}  // namespace

void writeTree(const std::string& root, const std::vector<TreeEntry>& entries) {
    for (const auto& entry : entries) {
        std::filesystem::path path = std::filesystem::path(root) / relativePath(entry.path);
        if (entry.path.ends_with('/'))
            std::filesystem::create_directories(path);
        else
            writeFile(path, entry);
    }
}

}  // namespace nvrtest
