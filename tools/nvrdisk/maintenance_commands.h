// `nvrdisk copy` and `nvrdisk format`: the commands that write drives.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>

namespace nvrdisk {

void addCopyCommand(CLI::App& app, std::function<void()>& chosen);
void addFormatCommand(CLI::App& app, std::function<void()>& chosen);

}  // namespace nvrdisk
