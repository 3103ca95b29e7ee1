// Character references: escaping values for the text and decoding references out of it.
#pragma once

#include <cstdint>

#include "text/Text.h"

namespace xml::detail {

// `<`, `&`, `>` as references; in attribute mode also both quote characters.
text::WString EscapeText(text::WStringView value, bool attributeMode);
// Appends the escaped value to `out`.
void AppendEscaped(text::WString& out, text::WStringView value, bool attributeMode);

// Decodes numeric and named references in text[start, start + count); anything that is not a
// readable reference stays literal.
text::WString UnescapeText(text::WStringView text, int32_t start, int32_t count);

// The code point of a named reference as written (letters matched without regard to case,
// the capitalised form of a case pair chosen when the name has a capital), 0 when unknown.
uint32_t NamedReference(text::WStringView name);

}  // namespace xml::detail
