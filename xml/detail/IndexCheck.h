// Consistency check of a document's element index against its text, for tests and fuzzing.
#pragma once

#include <string>

namespace xml {
class XmlDocument;
}

namespace xml::detail {

// Empty when every record reachable from the document lies inside its parent's content and
// points at its own tags, the sibling and parent links and levels agree, every other record
// in use is on the released list, and the cursor obeys its parent rules; else what is wrong.
std::string CheckIndex(const XmlDocument& doc);

}  // namespace xml::detail
