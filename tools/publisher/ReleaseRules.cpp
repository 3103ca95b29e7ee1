#include "tools/publisher/ReleaseRules.h"

#include "contract/Contract.h"
#include "platform/Paths.h"
#include "text/CodePage.h"
#include "updater/UpdateList.h"

namespace publisher {
namespace {

constexpr size_t kMaxVersionParts = 4;

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// One part: digits only, and no leading zero unless it is "0".
bool IsVersionPart(text::WStringView part) {
  if (part.empty() || (part.size() > 1 && part[0] == u'0')) return false;
  for (char16_t c : part) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

text::WString Quoted(text::WStringView s) { return u"\"" + text::WString(s) + u"\""; }

// Digits are ASCII, so the 32-byte limit of the list is 32 units here.
bool HasVersionShape(text::WStringView version) {
  if (version.size() > updater::kVersionLimit) return false;
  size_t parts = 0;
  for (size_t start = 0;;) {
    const size_t dot = version.find(u'.', start);
    const text::WStringView part = version.substr(start, dot == text::WStringView::npos ? dot : dot - start);
    if (!IsVersionPart(part) || ++parts > kMaxVersionParts) return false;
    if (dot == text::WStringView::npos) return true;
    start = dot + 1;
  }
}

}  // namespace

std::optional<text::WString> VersionShapeProblem(text::WStringView version) {
  if (HasVersionShape(version)) return std::nullopt;
  return u"version " + Quoted(version) +
         u" is refused: a version is 1 to 4 parts of digits 0-9 joined by dots, without leading zeros "
         u"(such as 1.0.12), at most 32 bytes";
}

std::optional<text::WString> NotNewerProblem(text::WStringView version, text::WStringView current,
                                             text::WStringView what) {
  if (contract::VersionSortsBefore(current, version)) return std::nullopt;
  const text::WString v(version), c(current);
  if (v == c) return u"version " + v + u" is already " + text::WString(what);
  return v + u" sorts before " + c + u" (" + text::WString(what) +
         u") as text; clients compare versions as text and would not see it as newer";
}

std::optional<text::WString> NameProblem(text::WStringView name, text::WStringView corp) {
  if (!platform::IsPlainName(name)) {
    return u"program name " + Quoted(name) +
           u" is refused: the lobby takes a game name only as one plain directory name (not empty, "
           u"not \".\" or \"..\", no \"/\" or \"\\\", no control characters)";
  }
  if (!platform::IsPlainName(corp)) return u"brand word " + Quoted(corp) + u" must be one plain directory name";
  const std::optional<std::string> encoded = text::EncodeAnsi(name);
  if (!encoded) return u"program name " + Quoted(name) + u" cannot be written in code page 936 (GBK)";
  if (encoded->size() > updater::kVersionLimit) {
    return u"program name " + Quoted(name) + u" is longer than the list's 32 bytes in code page 936";
  }
  return std::nullopt;
}

}  // namespace publisher
