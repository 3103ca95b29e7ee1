// Building the element index from a node scan (used for whole documents and for fragments).
#pragma once

#include "text/Text.h"
#include "xml/detail/ElementIndex.h"
#include "xml/detail/Scanner.h"

namespace xml::detail {

// Indexes every element of the scanned text under `holder`, whose top-level elements get level
// `topLevel`. Malformed markup sets error flags on the holder and the open element and adds
// report entries. Returns the first record created, 0 when none.
Position ParseElements(ElementIndex& index, Position holder, int32_t topLevel, ScanState& scan,
                       text::WString& report);

}  // namespace xml::detail
