// Folders of the user the process runs for.
#pragma once

#include <string>

namespace platform {

// The user's home directory: $HOME, else the password database's entry; empty when neither
// names one. The copy logs are written there.
std::string homeDirectory();

}  // namespace platform
