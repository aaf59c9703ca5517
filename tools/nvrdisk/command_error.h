// The failure a command reports to the user: a plain sentence and, when the library gave one,
// its result code. main() prints it and exits non-zero.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace nvrdisk {

class CommandError : public std::runtime_error {
public:
    explicit CommandError(const std::string& sentence) : std::runtime_error(sentence) {}
    CommandError(const std::string& sentence, int32_t code) : std::runtime_error(sentence), code_(code) {}
    const std::optional<int32_t>& code() const { return code_; }

private:
    std::optional<int32_t> code_;
};

}  // namespace nvrdisk
