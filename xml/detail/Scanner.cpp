#include "xml/detail/Scanner.h"

#include "xml/detail/ScanLoops.h"

namespace xml::detail {

namespace {

using namespace scan;

// Scan context of one node: the text as a raw pointer for tight loops.
struct Node {
  const char16_t* t;
  int32_t n;
  int32_t start;
  ScanState& s;
};

// First `>` at or after i that directly follows the two units a, b; the opener is not reused.
int32_t FindClose(const char16_t* t, int32_t n, int32_t i, char16_t a, char16_t b) {
  for (i += 2; i < n; ++i) {
    if (t[i] == u'>' && t[i - 1] == b && t[i - 2] == a) return i;
  }
  return kNotFound;
}

// Runs over nested markup of a document type: quotes are honoured wherever they appear.
int32_t SkipQuotedToClose(const char16_t* t, int32_t n, int32_t i) {
  while (i < n) {
    char16_t c = t[i];
    if (c == u'>') return i + 1;
    if (c == u'"' || c == u'\'') {
      int32_t close = Find(t, n, i + 1, c);
      if (close == kNotFound) return kNotFound;
      i = close;
    }
    ++i;
  }
  return kNotFound;
}

void AddError(Node& node, const char16_t* word) {
  node.s.errors.push_back(ScanError{word, nullptr, node.start});
}

NodeKind Unterminated(Node& node, NodeKind kind, int32_t& end) {
  node.s.errors.push_back(ScanError{u"unterminated_tag_syntax", KindWord(kind), node.start});
  end = node.n;
  return NodeKind::kSyntaxError;
}

NodeKind Finish(Node& node, NodeKind kind, int32_t close, int32_t& end) {
  if (close == kNotFound) return Unterminated(node, kind, end);
  end = close;
  return kind;
}

// A malformed tag: reported, then skipped like a tag body.
NodeKind SyntaxError(Node& node, const char16_t* word, int32_t from, bool stopAtLt, int32_t& end) {
  AddError(node, word);
  bool empty = false;
  return Finish(node, NodeKind::kSyntaxError, SkipTagBody(node.t, node.n, from, stopAtLt, empty),
                end);
}

NodeKind ScanStartTag(Node& node, int32_t& end) {
  int32_t nameEnd = SkipName(node.t, node.n, node.start + 1);
  node.s.nameStart = node.start + 1;
  node.s.nameLength = nameEnd - node.s.nameStart;
  bool empty = false;
  int32_t close = SkipTagBody(node.t, node.n, nameEnd, false, empty);
  node.s.emptyElement = close != kNotFound && empty;
  return Finish(node, NodeKind::kStartTag, close, end);
}

NodeKind ScanEndTag(Node& node, int32_t& end) {
  int32_t nameEnd = SkipName(node.t, node.n, node.start + 2);
  node.s.nameStart = node.start + 2;
  node.s.nameLength = nameEnd - node.s.nameStart;
  return Finish(node, NodeKind::kEndTag, Next(Find(node.t, node.n, nameEnd, u'>')), end);
}

NodeKind ScanProcessingInstruction(Node& node, int32_t& end) {
  int32_t nameEnd = SkipName(node.t, node.n, node.start + 2);
  node.s.nameStart = node.start + 2;
  node.s.nameLength = nameEnd - node.s.nameStart;
  int32_t close = kNotFound;
  for (int32_t i = node.start + 3; i < node.n; ++i) {
    if (node.t[i] == u'>' && node.t[i - 1] == u'?') {
      close = i + 1;
      break;
    }
  }
  return Finish(node, NodeKind::kProcessingInstruction, close, end);
}

// Nested markup inside a document type; returns where the scan goes on, kNotFound at the end.
int32_t SkipDoctypeMarkup(Node& node, int32_t i) {
  const char16_t* t = node.t;
  int32_t n = node.n;
  if (i + 1 >= n || t[i + 1] != u'!') {
    return Next(Find(t, n, i + 1, u'>'));
  }
  char16_t c = i + 2 < n ? t[i + 2] : 0;
  if (c == u'A' || c == u'E' || c == u'N') return SkipQuotedToClose(t, n, i + 2);
  if (c == u'-' && i + 3 < n && t[i + 3] == u'-') {
    return Next(FindClose(t, n, i + 4, u'-', u'-'));
  }
  if (c == u'-') return Next(Find(t, n, i + 2, u'>'));
  AddError(node, u"doctype_tag_syntax");
  return i + 2;
}

NodeKind ScanDocumentType(Node& node, int32_t& end) {
  int32_t i = node.start + 3;
  while (i < node.n) {
    char16_t c = node.t[i];
    if (c == u'>') {
      end = i + 1;
      return NodeKind::kDocumentType;
    }
    if (c != u'<') {
      ++i;
      continue;
    }
    i = SkipDoctypeMarkup(node, i);
    if (i == kNotFound) break;
  }
  return Unterminated(node, NodeKind::kDocumentType, end);
}

NodeKind ScanExclamation(Node& node, int32_t& end) {
  const char16_t* t = node.t;
  int32_t i = node.start + 2;
  if (i >= node.n) return Unterminated(node, NodeKind::kSyntaxError, end);
  char16_t c = t[i];
  if (c == u'-' || c == u'[') {
    if (i + 1 >= node.n) return Unterminated(node, NodeKind::kSyntaxError, end);
    if (c == u'-' && t[i + 1] == u'-') {
      return Finish(node, NodeKind::kComment, Next(FindClose(t, node.n, i + 2, u'-', u'-')), end);
    }
    if (c == u'[' && t[i + 1] == u'C') {
      return Finish(node, NodeKind::kCData, Next(FindClose(t, node.n, i + 2, u']', u']')), end);
    }
    return SyntaxError(node, c == u'-' ? u"comment_tag_syntax" : u"cdata_section_syntax", i, false,
                       end);
  }
  if (c == u'D') return ScanDocumentType(node, end);
  return SyntaxError(node, u"exclamation_tag_syntax", i, false, end);
}

NodeKind ScanTag(Node& node, int32_t& end) {
  int32_t i = node.start + 1;
  if (i >= node.n) return Unterminated(node, NodeKind::kSyntaxError, end);
  char16_t c = node.t[i];
  if (IsNameStart(c)) return ScanStartTag(node, end);
  if (c == u'/') return ScanEndTag(node, end);
  if (c == u'?') return ScanProcessingInstruction(node, end);
  if (c == u'!') return ScanExclamation(node, end);
  return SyntaxError(node, u"first_tag_syntax", i, true, end);
}

// Text runs end before `<` or just after a literal `>`.
NodeKind ScanText(const char16_t* t, int32_t n, int32_t i, int32_t& end) {
  i = SkipWhitespace(t, n, i);
  if (i >= n || t[i] == u'<') {
    end = i;
    return NodeKind::kWhitespace;
  }
  while (i < n && !(ClassOf(t[i]) & kTextStop)) ++i;
  if (i < n && t[i] == u'>') ++i;
  end = i;
  return NodeKind::kText;
}

}  // namespace

const char16_t* KindWord(NodeKind kind) {
  switch (kind) {
    case NodeKind::kEndTag: return u"end_tag";
    case NodeKind::kStartTag: return u"start_tag";
    case NodeKind::kCData: return u"cdata_section";
    case NodeKind::kProcessingInstruction: return u"processing_instruction";
    case NodeKind::kComment: return u"comment";
    case NodeKind::kDocumentType: return u"document_type";
    default: return u"tag";
  }
}

NodeKind NextNode(ScanState& state) {
  if (!state.errors.empty()) state.errors.clear();
  state.emptyElement = false;
  const int32_t n = static_cast<int32_t>(state.text.size());
  const int32_t start = state.offset;
  state.nodeStart = start;
  if (start >= n) {
    state.nodeLength = 0;
    return NodeKind::kEndOfText;
  }
  const char16_t* t = state.text.data();
  int32_t end = n;
  NodeKind kind;
  if (t[start] == u'<') {
    Node node{t, n, start, state};
    kind = ScanTag(node, end);
  } else {
    kind = ScanText(t, n, start, end);
  }
  state.offset = end;
  state.nodeLength = end - start;
  return kind;
}

}  // namespace xml::detail
