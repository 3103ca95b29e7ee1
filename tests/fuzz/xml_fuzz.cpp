// Parses fuzzed text, then navigates and edits it with fuzzed operations, checking after every
// step that the element index still agrees with the text.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "xml/XmlDocument.h"
#include "xml/detail/IndexCheck.h"
#include "xml/detail/Scanner.h"
#include "xml/detail/IndexAccess.h"

namespace {

using xml::XmlDocument;

void Check(const XmlDocument& doc, const char* step) {
  std::string error = xml::detail::CheckIndex(doc);
  if (error.empty()) return;
  std::fprintf(stderr, "index broken after %s: %s\n", step, error.c_str());
  std::abort();
}

// Right after a parse, record i belongs to the i-th start tag the node scanner finds: the
// index builder's own fast reading of tags must agree with the scanner.
void CheckAgainstScanner(const XmlDocument& doc) {
  const text::WString& text = doc.ToString();
  xml::detail::ScanState scan(text);
  XmlDocument::Position pos = 1;
  for (xml::detail::NodeKind kind; (kind = xml::detail::NextNode(scan)) != xml::detail::NodeKind::kEndOfText;) {
    if (kind != xml::detail::NodeKind::kStartTag) continue;
    const xml::detail::ElementRecord* rec =
        pos < xml::detail::IndexAccess::Of(doc).UsedCount() ? &xml::detail::IndexAccess::Of(doc)[pos] : nullptr;
    bool same = rec && rec->start == scan.nodeStart && rec->StartTagLength() == scan.nodeLength &&
                (!scan.emptyElement || (rec->IsEmpty() && !(rec->flags & xml::detail::kFlagUnended)));
    if (!same) {
      std::fprintf(stderr, "start tag at %d read differently by the index builder\n", scan.nodeStart);
      std::abort();
    }
    ++pos;
  }
  if (pos != xml::detail::IndexAccess::Of(doc).UsedCount()) {
    std::fprintf(stderr, "index has records the scanner does not see\n");
    std::abort();
  }
}

text::WString Text(FuzzedDataProvider& in, size_t max) {
  return text::FromUtf8(in.ConsumeRandomLengthString(max));
}

// Mostly plausible names so that searches hit, sometimes anything at all.
text::WString Name(FuzzedDataProvider& in) {
  static const char16_t* const kNames[] = {u"a", u"b", u"c", u"item", u"x", u"", u"a[1]/b",
                                           u"a/@x", u"id"};
  if (in.ConsumeBool()) return kNames[in.ConsumeIntegralInRange<size_t>(0, 8)];
  return Text(in, 12);
}

void Read(XmlDocument& doc, FuzzedDataProvider& in, int op) {
  switch (op) {
    case 0: doc.ResetPosition(); break;
    case 1: doc.FindElement(Name(in)); break;
    case 2: doc.FindChildElement(Name(in)); break;
    case 3: doc.EnterElement(); break;
    case 4: doc.LeaveElement(); break;
    case 5: doc.GetAttribute(Name(in)); break;
    case 6: doc.GetChildAttribute(Name(in)); break;
    case 7: doc.GetData(); break;
    case 8: doc.GetChildData(); break;
    case 9: doc.GetElementContent(); break;
    default: doc.GetTagName(in.ConsumeIntegralInRange<int32_t>(-2, xml::detail::IndexAccess::Of(doc).UsedCount() + 2));
  }
}

void Edit(XmlDocument& doc, FuzzedDataProvider& in, int op) {
  uint32_t options = in.ConsumeBool() ? XmlDocument::kNoLineBreak : 0;
  switch (op) {
    case 0: doc.SetAttribute(Name(in), Text(in, 16)); break;
    case 1: doc.SetAttribute(Name(in), in.ConsumeIntegral<int32_t>()); break;
    case 2: doc.AddElement(Name(in), Text(in, 16), options); break;
    case 3: doc.AddChildElement(Name(in), Text(in, 16), options); break;
    default: doc.SetElementContent(Text(in, 256)); break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  XmlDocument doc;
  doc.Parse(Text(in, 4096));
  Check(doc, "parse");
  CheckAgainstScanner(doc);
  for (int steps = 0; steps < 64 && in.remaining_bytes() > 0; ++steps) {
    int op = in.ConsumeIntegralInRange(0, 15);
    if (op < 11) {
      Read(doc, in, op);
      Check(doc, "read");
    } else {
      Edit(doc, in, op - 11);
      Check(doc, "edit");
    }
  }
  // Whatever the edits did, the text must parse again into a sound index.
  XmlDocument again(doc.ToString());
  Check(again, "reparse");
  return 0;
}
