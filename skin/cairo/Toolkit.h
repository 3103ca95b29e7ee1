// GTK's start for every program of ours: with the program's name and nothing else, so no
// argument value (a server's version, a game name, a start value) can become a toolkit option
// such as --gtk-module or --display.
#pragma once

namespace skin {

// False when there is no display to show windows on.
bool InitToolkit(const char* programName);

}  // namespace skin
