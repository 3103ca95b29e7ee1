// The program's arguments as UTF-8 text. On Windows the narrow argv of main is in the ANSI
// code page and loses what that cannot hold: there they are taken from the wide command line.
#pragma once

#include <string>
#include <vector>

namespace platform {

// argv[0] included.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

}  // namespace platform
