// The element records behind a document, for the library's own checks, its tests and its
// benchmark; the document's public interface does not show them.
#pragma once

#include "xml/XmlDocument.h"

namespace xml::detail {

struct IndexAccess {
  static const ElementIndex& Of(const XmlDocument& doc) { return doc.index_; }
};

}  // namespace xml::detail
