// Reading names and attributes back out of a start tag in the document text.
#pragma once

#include <cstdint>

#include "text/Text.h"

namespace xml::detail {

// Where an attribute was found in a start tag, or where a new one would go.
struct AttributeSpot {
  bool found = false;
  bool ownValue = false;   // written without `=`: the name is its own value
  int32_t nameEnd = 0;     // just after the attribute name token
  int32_t tokenStart = 0;  // the value token, quotes included
  int32_t tokenEnd = 0;
  int32_t valueStart = 0;  // the value without quotes
  int32_t valueLength = 0;
  int32_t insertAt = 0;  // when not found: just after the last token before the tag's end
};

// Scans the start tag text[start, start + length) for attribute `name`.
AttributeSpot FindAttribute(text::WStringView text, int32_t start, int32_t length,
                            text::WStringView name);

// The element name after `<` at `start`, bounded by the start tag's length.
text::WStringView ElementName(text::WStringView text, int32_t start, int32_t length);

// True when `name` can be written as an element or attribute name without changing how the
// text parses back.
bool IsWritableName(text::WStringView name);

}  // namespace xml::detail
