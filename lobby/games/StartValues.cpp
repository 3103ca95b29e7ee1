#include "lobby/games/StartValues.h"

#include "lobby/flash/ArgumentObject.h"

namespace lobby {

namespace {

using text::WString;
using text::WStringView;

WString Quoted(WStringView s) { return u"\"" + WString(s) + u"\""; }

}  // namespace

WString DottedAddress(WStringView decimal) {
  // The low 32 bits of the 64-bit value, as the game's own reading keeps them.
  auto v = static_cast<uint32_t>(text::ParseInt64(decimal));
  WString out;
  for (int i = 0; i < 4; ++i) {
    if (i) out += u'.';
    out += text::FormatUInt((v >> (8 * i)) & 0xFF);
  }
  return out;
}

uint32_t SwappedPort(WStringView decimal) {
  auto v = static_cast<uint16_t>(text::ParseInt64(decimal));
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
