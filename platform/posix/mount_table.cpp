#include "mount_table.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace platform {
namespace {

namespace fs = std::filesystem;

// Stacked devices reach at most a few levels (partition -> crypt -> LVM); the bound keeps a
// strange sysfs from looping.
constexpr int kMaximumStacking = 8;

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t position = 0;
    while (position < line.size()) {
        const size_t start = line.find_first_not_of(" \t", position);
        if (start == std::string_view::npos) break;
        const size_t end = line.find_first_of(" \t", start);
        fields.push_back(line.substr(start, end == std::string_view::npos ? line.size() - start : end - start));
        position = end == std::string_view::npos ? line.size() : end;
    }
    return fields;
}

// mountinfo writes blanks, tabs, newlines and backslashes in paths as \ and three octal digits.
std::string unescapeOctal(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool octal = text[i] == '\\' && i + 3 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '3' &&
                           text[i + 2] >= '0' && text[i + 2] <= '7' && text[i + 3] >= '0' && text[i + 3] <= '7';
        if (octal) {
            out.push_back(static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 + (text[i + 3] - '0')));
            i += 3;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::string readSmallFile(const fs::path& path) {
    std::ifstream stream(path);
    std::string text;
    std::getline(stream, text);
    return text;
}

bool readDeviceFile(const fs::path& directory, DeviceNumber& out) {
    return parseDeviceNumber(readSmallFile(directory / "dev"), out);
}

// The sysfs directory of the whole disk that holds the device's directory.
fs::path wholeDiskDirectory(const fs::path& directory) {
    std::error_code error;
    if (fs::exists(directory / "partition", error)) return directory.parent_path();
    return directory;
}

void addHolders(const std::string& sysRoot, const fs::path& directory, std::set<DeviceNumber>& devices, int depth) {
    std::error_code error;
    if (depth >= kMaximumStacking) return;
    for (const auto& holder : fs::directory_iterator(directory / "holders", error)) {
        const fs::path holderDirectory = fs::path(sysRoot) / "class" / "block" / holder.path().filename();
        DeviceNumber number = 0;
        if (readDeviceFile(holderDirectory, number) && devices.insert(number).second)
            addHolders(sysRoot, holderDirectory, devices, depth + 1);
    }
}

}  // namespace

DeviceNumber deviceNumber(unsigned major, unsigned minor) { return (DeviceNumber{major} << 20) | minor; }

bool parseDeviceNumber(std::string_view text, DeviceNumber& out) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 >= text.size()) return false;
    unsigned parts[2] = {0, 0};
    std::string_view pieces[2] = {text.substr(0, colon), text.substr(colon + 1)};
    for (int i = 0; i < 2; ++i) {
        if (pieces[i].size() > 9) return false;
        for (char digit : pieces[i]) {
            if (digit < '0' || digit > '9') return false;
            parts[i] = parts[i] * 10 + static_cast<unsigned>(digit - '0');
        }
    }
    out = deviceNumber(parts[0], parts[1]);
    return true;
}

std::vector<MountEntry> parseMountInfo(std::string_view text) {
    std::vector<MountEntry> entries;
    std::istringstream stream{std::string(text)};
    std::string line;
    while (std::getline(stream, line)) {
        const auto fields = splitFields(line);
        size_t separator = 6;
        while (separator < fields.size() && fields[separator] != "-") ++separator;
        MountEntry entry;
        if (fields.size() < 5 || separator + 2 >= fields.size() || !parseDeviceNumber(fields[2], entry.device)) continue;
        entry.mountPoint = unescapeOctal(fields[4]);
        entry.source = unescapeOctal(fields[separator + 2]);
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<std::string> parseSwapPaths(std::string_view text) {
    std::vector<std::string> paths;
    std::istringstream stream{std::string(text)};
    std::string line;
    std::getline(stream, line);  // the header
    while (std::getline(stream, line)) {
        const auto fields = splitFields(line);
        if (!fields.empty()) paths.push_back(unescapeOctal(fields[0]));
    }
    return paths;
}

std::set<DeviceNumber> diskDevices(const std::string& sysRoot, DeviceNumber device) {
    std::set<DeviceNumber> devices{device};
    std::error_code error;
    const std::string name = std::to_string(device >> 20) + ":" + std::to_string(device & 0xFFFFF);
    const fs::path link = fs::path(sysRoot) / "dev" / "block" / name;
    const fs::path own = fs::canonical(link, error);
    if (error) return devices;
    const fs::path disk = wholeDiskDirectory(own);
    DeviceNumber number = 0;
    if (readDeviceFile(disk, number)) devices.insert(number);
    addHolders(sysRoot, disk, devices, 0);
    for (const auto& child : fs::directory_iterator(disk, error)) {
        if (!fs::exists(child.path() / "partition", error)) continue;
        if (readDeviceFile(child.path(), number)) devices.insert(number);
        addHolders(sysRoot, child.path(), devices, 0);
    }
    return devices;
}

}  // namespace platform
