// Text encodings of the files an XmlDocument reads: the encoding names a document may declare
// and conversion of its bytes to UTF-16, over the encodings table of text/CodePageTable.h.
#pragma once

#include <cstdint>
#include <string_view>

#include "text/Text.h"

namespace xml {

// The code page an encoding name stands for: 0 for an empty name (the document's default
// code page), -1 for a name that is not known. Letters A-Z match either case; a name
// starting "UTF-32" in capitals is UTF-32 whatever follows.
int32_t CodePageFromName(text::WStringView name);

// Bytes in the named encoding as UTF-16 (an empty or unknown name means GBK). Invalid bytes
// become U+FFFD; an encoding that cannot be converted gives an empty text.
text::WString ConvertText(std::string_view bytes, text::WStringView encoding);

}  // namespace xml
