// The requested-name form of FindElement/FindChildElement: a name, optionally followed by
// path steps ("a[2]/b", "a[@x='1']/@y") that are checked for form but not applied.
#pragma once

#include "text/Text.h"

namespace xml::detail {

struct NameRequest {
  bool valid = true;   // false: nothing can match
  bool any = false;    // empty request: every element matches
  text::WStringView name;  // the first step's name
};

NameRequest ParseNameRequest(text::WStringView requested);

}  // namespace xml::detail
