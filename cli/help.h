// The texts of `vellumark --help` and `vellumark help COMMAND`.
#pragma once

#include <string>

namespace vellumark {

// The overview of every command.
std::string Usage();

// The whole help of one command; empty when there is no such command.
std::string CommandHelp(const std::string& command);

}  // namespace vellumark
