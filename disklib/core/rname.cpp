#include "rname.h"

#include <algorithm>
#include <cstdio>

namespace drelmo {

std::string NormalizeRName(std::string_view rname) {
    std::string copy(rname);
    std::replace(copy.begin(), copy.end(), '\\', '/');
    return copy;
}

int CountSlashes(std::string_view text) { return static_cast<int>(std::count(text.begin(), text.end(), '/')); }

std::string TrimToLastSlash(std::string text) {
    while (text.size() > 2 && text.back() != '/') text.pop_back();
    return text;
}

std::string LastComponent(std::string_view normalized) {
    const size_t slash = normalized.rfind('/');
    return std::string(slash == std::string_view::npos ? normalized : normalized.substr(slash + 1));
}

std::string DrivePrefix(int driveNumber) { return "/" + std::to_string(driveNumber) + "/"; }

std::string VolumePrefix(int driveNumber, int volume) {
    return DrivePrefix(driveNumber) + std::to_string(volume) + "/";
}

std::vector<std::string> SplitComponents(std::string_view path) {
    std::vector<std::string> components;
    size_t start = 0;
    while (start < path.size()) {
        const size_t slash = path.find('/', start);
        if (slash == std::string_view::npos) {
            components.emplace_back(path.substr(start));
            break;
        }
        components.emplace_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    return components;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace drelmo
