// The one table of text encodings: the names documents give them, the code page (Windows'
// number) each name stands for, and what decodes each code page on Linux and on Windows.
#pragma once

#include <cstdint>

#include "text/Text.h"

namespace text {

// The code page an encoding name stands for; -1 for a name that is not known. Letters A-Z
// match in either case.
int32_t CodePageOfName(WStringView name);

// How one code page is decoded.
struct CodePageDecoder {
  int32_t codePage;
  const char* charset;          // iconv's name for it (Linux)
  int32_t sameBytesAs = 0;      // Windows decodes it as this code page; 0: as itself
  int32_t windowsFallback = 0;  // a superset taken when the system lacks that (Wine has fewer
                                // tables than Windows); 0: none

  int32_t WindowsCodePage() const { return sameBytesAs != 0 ? sameBytesAs : codePage; }
};

// The decoder of a code page; nullptr when there is no exact one.
const CodePageDecoder* FindCodePage(int32_t codePage);

}  // namespace text
