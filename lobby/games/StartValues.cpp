#include "lobby/games/StartValues.h"

#include "lobby/flash/ArgumentObject.h"

namespace lobby {

namespace {

using text::WString;
using text::WStringView;

// _wtoi64 rules: leading blanks, a sign, digits; overflow wraps rather than being undefined.
uint64_t ParseUInt64Wrapping(WStringView s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == u' ' || (s[i] >= u'\t' && s[i] <= u'\r'))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) negative = s[i++] == u'-';
  uint64_t v = 0;
  for (; i < s.size() && s[i] >= u'0' && s[i] <= u'9'; ++i) v = v * 10 + (s[i] - u'0');
  return negative ? ~v + 1 : v;
}

WString Quoted(WStringView s) { return u"\"" + WString(s) + u"\""; }

}  // namespace

WString DottedAddress(WStringView decimal) {
  auto v = static_cast<uint32_t>(ParseUInt64Wrapping(decimal));
  WString out;
  for (int i = 0; i < 4; ++i) {
    if (i) out += u'.';
    out += text::FormatUInt((v >> (8 * i)) & 0xFF);
  }
  return out;
}

uint32_t SwappedPort(WStringView decimal) {
  auto v = static_cast<uint16_t>(ParseUInt64Wrapping(decimal));
  return static_cast<uint32_t>(((v & 0xFF) << 8) | (v >> 8));
}

StartValues ReadStartValues(WStringView gameParamMarkup) {
  StartValues v;
  for (const ArgumentProperty& p : ReadArgumentObject(gameParamMarkup)) {
    if (p.id == u"GameIp") v.address = DottedAddress(p.value);
    else if (p.id == u"GamePort") v.port = SwappedPort(p.value);
    else if (p.id == u"GameUid") v.uid = p.value;
    else if (p.id == u"GameKey") v.key = p.value;
    else if (p.id == u"GameMode") v.mode = p.value;
    else if (p.id == u"GameChannel") v.channel = p.value;
    else if (p.id == u"GameModex") v.modex = p.value;
  }
  return v;
}

WString FormatArgumentText(const StartValues& v) {
  return u" -ip " + Quoted(v.address) + u" -port " + Quoted(text::FormatUInt(v.port)) +
         u" -uid " + Quoted(v.uid) + u" -type " + Quoted(v.mode) + u" -key " + Quoted(v.key) +
         u" -cid " + Quoted(v.channel) + u" -mode " + Quoted(v.modex);
}

std::vector<std::string> ArgumentList(const StartValues& v) {
  using text::ToUtf8;
  return {"-ip",   ToUtf8(v.address), "-port", ToUtf8(text::FormatUInt(v.port)),
          "-uid",  ToUtf8(v.uid),     "-type", ToUtf8(v.mode),
          "-key",  ToUtf8(v.key),     "-cid",  ToUtf8(v.channel),
          "-mode", ToUtf8(v.modex)};
}

}  // namespace lobby
