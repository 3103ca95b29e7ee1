// Name of the running program.
#pragma once

#include <string>

namespace platform {

// File name of the running executable without directory or suffix; empty when unknown.
std::string ExecutableName();

}  // namespace platform
