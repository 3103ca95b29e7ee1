// The lobby's XML document: the whole text kept as one UTF-16 string with an index of element
// records beside it, a three-position cursor for navigation, and in-place editing.
#pragma once

#include <cstdint>

#include "text/Text.h"
#include "xml/detail/ElementIndex.h"

namespace xml {

namespace detail {
struct IndexAccess;
}  // namespace detail

class XmlDocument {
 public:
  using Position = detail::Position;

  // Option bits of AddElement/AddChildElement.
  static constexpr uint32_t kNoLineBreak = 0x2;  // write no CR LF around the new element
  static constexpr uint32_t kChildForm = 0x4000;  // add a child of the current element

  // An empty document (no text, not well-formed).
  XmlDocument();
  // A document parsed from `text`.
  explicit XmlDocument(text::WStringView text);
  ~XmlDocument();
  XmlDocument(const XmlDocument&) = delete;
  XmlDocument& operator=(const XmlDocument&) = delete;

  // Replaces the text, empties the report and rebuilds the index; a null view also frees the
  // index blocks. True when the result is well-formed.
  bool Parse(text::WStringView text);
  // One top-level element and no parse error.
  bool IsWellFormed() const;
  // The result report of the last parse, load or content replacement.
  const text::WString& GetError() const { return report_; }
  // The document text, edits included.
  const text::WString& ToString() const { return text_; }

  // Reads a file of any text encoding and parses it; the report holds file and parse entries.
  // A file larger than `maxBytes` is not read (a file error, as for any unreadable file).
  bool LoadFile(text::WStringView path, int64_t maxBytes = kMaxFileBytes);
  // Reads and decodes a whole text file to UTF-16, with a report of what was detected.
  static bool ReadTextFile(text::WStringView path, text::WString& text, text::WString& report,
                          int64_t maxBytes = kMaxFileBytes);
  // Offsets in a document are 32-bit: no larger file could be indexed.
  static constexpr int64_t kMaxFileBytes = INT32_MAX;
  // The encoding named by an XML declaration or an HTML meta charset, or empty.
  static text::WString DetectDeclaredEncoding(text::WStringView text);

  // Back to before the first element of the current level.
  void ResetPosition();
  // Next element of the current level matching `name` (empty = any) becomes current.
  bool FindElement(text::WStringView name = {});
  // Next child of the current element matching `name` (empty = any) becomes the child.
  bool FindChildElement(text::WStringView name = {});
  // The current element becomes the parent level; its child position becomes current.
  bool EnterElement();
  // The parent level becomes current; the old current element becomes the child.
  bool LeaveElement();
  // Name of the element at `pos`; empty for 0.
  text::WString GetTagName(Position pos) const;
  // Decoded attribute value of the current element; empty when missing.
  text::WString GetAttribute(text::WStringView name) const;
  // Decoded attribute value of the child element; empty when missing.
  text::WString GetChildAttribute(text::WStringView name) const;
  // Decoded text of the current element; empty when it has child elements.
  text::WString GetData() const;
  // Decoded text of the child element; empty when it has child elements.
  text::WString GetChildData() const;
  // Raw markup between the current element's start and end tags.
  text::WString GetElementContent() const;

  // Sets or appends an attribute of the current element (value escaped, double-quoted).
  bool SetAttribute(text::WStringView name, text::WStringView value);
  // Sets or appends an attribute of the current element as a decimal number.
  bool SetAttribute(text::WStringView name, int32_t value);
  // Adds an element after the current one (or as a child with kChildForm) and makes it current.
  bool AddElement(text::WStringView name, text::WStringView data = {}, uint32_t options = 0);
  // Adds a child after the child position of the current element and makes it the child.
  bool AddChildElement(text::WStringView name, text::WStringView data = {}, uint32_t options = 0);
  // Replaces the current element's content by `markup`; false when the markup is malformed.
  bool SetElementContent(text::WStringView markup);

  // The cursor positions (0 = document level / none).
  Position ParentPosition() const { return parentPos_; }
  Position CurrentPosition() const { return currentPos_; }
  Position ChildPosition() const { return childPos_; }
 private:
  friend struct detail::IndexAccess;

  // The core of Parse over text_ (cursor, index, report entries) that keeps the report, so a
  // file load can put its parse entries after its file entries.
  bool ParseLoadedText();

  // Editing steps: placing new markup at a level and replacing an element's content.
  int32_t InsertMarkup(Position parent, Position after, text::WStringView markup, bool noLineBreak);
  int32_t Insert(Position parent, Position e, int32_t at, text::WStringView insert);
  int32_t InsertIntoEmpty(Position parent, text::WStringView markup, text::WStringView crlf);
  int32_t ReplaceContent(Position e, text::WStringView name, text::WStringView markup);
  void AdoptChildren(Position e, Position holder, int32_t contentStart);

  text::WString text_;
  text::WString report_;
  Position parentPos_ = 0;
  Position currentPos_ = 0;
  Position childPos_ = 0;
  int32_t currentKind_ = 0;
  detail::ElementIndex index_;
};

}  // namespace xml
