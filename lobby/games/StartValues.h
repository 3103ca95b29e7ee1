// The start values of a game run, as the movie's "PlayGame" carries them, and the game's
// command line made from them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "text/Text.h"

namespace lobby {

struct StartValues {
  text::WString address;  // dotted IPv4
  uint32_t port = 0;
  text::WString uid;
  text::WString key;
  text::WString mode;     // GameMode, passed as -type
  text::WString channel;
  text::WString modex;    // GameModex, passed as -mode
};

// Reads the properties of the GameParam markup's "object" (absent values stay empty).
StartValues ReadStartValues(text::WStringView gameParamMarkup);

// " -ip \"...\" -port \"...\" ..." as it is kept on the game record.
text::WString FormatArgumentText(const StartValues& v);
// The same options and values, each its own argument.
std::vector<std::string> ArgumentList(const StartValues& v);

// The low 32 bits of a decimal number of up to 64 bits, in memory order, lowest byte first.
text::WString DottedAddress(text::WStringView decimal);
// The low 16 bits of a decimal number with its two bytes swapped.
uint32_t SwappedPort(text::WStringView decimal);

}  // namespace lobby
