// Reading the argument markup of a movie request: the properties of its first "object".
#pragma once

#include <vector>

#include "text/Text.h"

namespace lobby {

struct ArgumentProperty {
  text::WString id;
  text::WString value;   // text of the property's first child element, whatever its kind
  text::WString markup;  // the property's whole content, kept for echoing back
};

// Properties of the first top-level "object" in `markup`, in document order. Empty when there
// is no object.
std::vector<ArgumentProperty> ReadArgumentObject(text::WStringView markup);

// The value of the last property with this id (the later one wins); empty when absent.
text::WString PropertyValue(const std::vector<ArgumentProperty>& props, text::WStringView id);
text::WString PropertyMarkup(const std::vector<ArgumentProperty>& props, text::WStringView id);

}  // namespace lobby
