// RName text helpers used by the commands that take an RName.
#include "rname.h"

#include <algorithm>
#include <cctype>

namespace nvrdisk {

std::string withTrailingSlash(const std::string& rname) {
    if (!rname.empty() && (rname.back() == '/' || rname.back() == '\\')) return rname;
    return rname + "/";
}

std::string drivePrefix(int number) { return "/" + std::to_string(number) + "/"; }

bool isDrivePrefix(const std::string& rname) {
    if (rname.size() < 3 || rname.front() != '/' || rname.back() != '/') return false;
    return std::all_of(rname.begin() + 1, rname.end() - 1, [](unsigned char c) { return std::isdigit(c); });
}

std::string lastComponent(const std::string& rname) {
    const size_t slash = rname.find_last_of("/\\");
    return slash == std::string::npos ? rname : rname.substr(slash + 1);
}

}  // namespace nvrdisk
