// The node scanner: reads one node (tag, text, comment, ...) at a time from a UTF-16 text.
#pragma once

#include <cstdint>
#include <vector>

#include "text/Text.h"

namespace xml::detail {

enum class NodeKind : int32_t {
  kEndTag = 0,
  kStartTag = 1,
  kText = 2,
  kWhitespace = 4,
  kCData = 8,
  kProcessingInstruction = 0x10,
  kComment = 0x20,
  kDocumentType = 0x40,
  kSyntaxError = -1,
  kEndOfText = -2,
};

// One syntax problem found while scanning a node; becomes a report entry when the node ends
// as a syntax error.
struct ScanError {
  const char16_t* word;  // e.g. u"first_tag_syntax"
  const char16_t* type;  // the node-kind word of "unterminated_tag_syntax", else null
  int32_t offset;
};

struct ScanState {
  explicit ScanState(text::WStringView source) : text(source) {}

  text::WStringView text;
  int32_t offset = 0;  // where the next node starts
  // The node last read.
  int32_t nodeStart = 0;
  int32_t nodeLength = 0;
  bool emptyElement = false;  // a start tag closed by "/>"
  // Tag name of the last tag read (start tag, end tag or processing instruction target).
  int32_t nameStart = 0;
  int32_t nameLength = 0;
  std::vector<ScanError> errors;  // of the last node only
};

// Reads the node at state.offset, advances the offset past it and returns its kind.
NodeKind NextNode(ScanState& state);

// The text-level character classes shared with navigation.
inline bool IsWhitespace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }
inline bool IsNameStart(char16_t c) {
  return (c >= u'A' && c <= u'Z') || c == u'_' || c == u':' || c > 0x60;
}

// The word that names a node kind in "unterminated_tag_syntax" entries.
const char16_t* KindWord(NodeKind kind);

}  // namespace xml::detail
