#include "lobby/flash/WebAddress.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <utility>

namespace lobby {

namespace {

constexpr size_t kMaxAddressLength = 4096;

// Characters a reader cannot see, takes for a blank, or that turn the text around: an address
// holding one may show the user something else than where it leads.
bool IsHiddenSpaceOrDirection(uint32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0xA0) || c == 0xAD || c == 0x34F || c == 0x61C ||
         c == 0x115F || c == 0x1160 || c == 0x1680 || c == 0x17B4 || c == 0x17B5 ||
         (c >= 0x180B && c <= 0x180F) || (c >= 0x2000 && c <= 0x200F) ||
         (c >= 0x2028 && c <= 0x202F) || (c >= 0x205F && c <= 0x206F) || c == 0x2800 ||
         c == 0x3000 || c == 0x3164 || (c >= 0xFE00 && c <= 0xFE0F) || c == 0xFEFF ||
         c == 0xFFA0 || (c >= 0xFFF0 && c <= 0xFFFB) || (c >= 0x1D173 && c <= 0x1D17A) ||
         (c >= 0xE0000 && c <= 0xE0FFF);
}

// As written: a blank is refused too, and so is half of a surrogate pair.
bool HasRefusedCharacter(text::WStringView s) {
  for (size_t i = 0; i < s.size(); ++i) {
    uint32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      return true;
    }
    if (c == 0x20 || IsHiddenSpaceOrDirection(c)) return true;
  }
  return false;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The bytes of the address with every "%XX" decoded once.
std::string PercentDecoded(const std::string& address) {
  std::string out;
  for (size_t i = 0; i < address.size(); ++i) {
    int hi = 0, lo = 0;
    if (address[i] == '%' && i + 2 < address.size() && (hi = HexValue(address[i + 1])) >= 0 &&
        (lo = HexValue(address[i + 2])) >= 0) {
      out.push_back(static_cast<char>(hi * 16 + lo));
      i += 2;
    } else {
      out.push_back(address[i]);
    }
  }
  return out;
}

// The UTF-8 sequence at `at`: its code point and length; length 0 when it is none (bytes of
// another encoding stand for no character this check knows).
std::pair<uint32_t, size_t> Utf8At(const std::string& s, size_t at) {
  const auto b = static_cast<unsigned char>(s[at]);
  size_t length = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
  if (length == 0 || at + length > s.size()) return {0, 0};
  uint32_t c = length == 1 ? b : b & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(s[at + k]);
    if ((next & 0xC0) != 0x80) return {0, 0};
    c = (c << 6) | (next & 0x3F);
  }
  return {c, length};
}

// Written percent-encoded: "%20" stays allowed, it is how an address carries a blank.
bool HasRefusedEncodedCharacter(const std::string& address) {
  const std::string bytes = PercentDecoded(address);
  for (size_t i = 0; i < bytes.size();) {
    auto [c, length] = Utf8At(bytes, i);
    if (length == 0) {
      ++i;
      continue;
    }
    if (IsHiddenSpaceOrDirection(c)) return true;
    i += length;
  }
  return false;
}

// The host of an "http://" or "https://" address (scheme in any case), without user
// information and port; empty when the address has another form or a malformed port.
std::string WebHost(const std::string& address) {
  size_t colon = address.find("://");
  if (colon == std::string::npos) return {};
  std::string scheme = text::AsciiLower(address.substr(0, colon));
  if (scheme != "http" && scheme != "https") return {};
  std::string authority = address.substr(colon + 3);
  authority = authority.substr(0, authority.find_first_of("/?#"));
  size_t at = authority.rfind('@');
  std::string host = at == std::string::npos ? authority : authority.substr(at + 1);
  size_t portStart = host.rfind(':');
  if (portStart != std::string::npos && host.find(']', portStart) == std::string::npos) {
    if (host.find_first_not_of("0123456789", portStart + 1) != std::string::npos) return {};
    host.resize(portStart);
  }
  return host;
}

bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// RFC 3986: ALPHA *( ALPHA / DIGIT / "+" / "-" / "." ). A percent sign is no part of it.
bool IsSchemeName(const std::string& s) {
  if (s.empty() || !IsAsciiAlpha(s[0])) return false;
  return std::all_of(s.begin(), s.end(), [](char c) {
    return IsAsciiAlpha(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
  });
}

bool IsNeverLinkScheme(const std::string& scheme) {
  return std::any_of(std::begin(kNeverLinkSchemes), std::end(kNeverLinkSchemes),
                     [&](const char* never) { return scheme == never; });
}

// Hidden characters refused as written and percent-encoded, as for web addresses.
bool HasRefusedText(text::WStringView address, const std::string& utf8) {
  return address.empty() || address.size() > kMaxAddressLength || HasRefusedCharacter(address) ||
         HasRefusedEncodedCharacter(utf8);
}

}  // namespace

std::vector<std::string> ReadLinkSchemes(text::WStringView list) {
  std::vector<std::string> schemes;
  std::string word;
  const std::string utf8 = text::ToUtf8(list) + " ";
  for (char c : utf8) {
    if (c != ' ' && c != ',' && c != '\t') {
      word.push_back(c);
      continue;
    }
    word = text::AsciiLower(word);
    if (IsSchemeName(word) && !IsNeverLinkScheme(word)) schemes.push_back(word);
    word.clear();
  }
  return schemes;
}

std::optional<std::string> CheckedOperatorLink(text::WStringView address, const std::vector<std::string>& schemes) {
  const std::string utf8 = text::ToUtf8(address);
  if (HasRefusedText(address, utf8)) return std::nullopt;
  const size_t colon = utf8.find(':');
  if (colon == std::string::npos || colon + 1 == utf8.size()) return std::nullopt;
  const std::string scheme = text::AsciiLower(utf8.substr(0, colon));
  if (!IsSchemeName(scheme) || IsNeverLinkScheme(scheme)) return std::nullopt;
  if (scheme == "http" || scheme == "https") return CheckedWebAddress(address);
  const bool named = scheme == "mailto" || std::find(schemes.begin(), schemes.end(), scheme) != schemes.end();
  if (!named) return std::nullopt;
  return scheme + utf8.substr(colon);
}

std::optional<std::string> CheckedWebAddress(text::WStringView address) {
  if (address.empty() || address.size() > kMaxAddressLength || HasRefusedCharacter(address)) {
    return std::nullopt;
  }
  std::string utf8 = text::ToUtf8(address);
  if (HasRefusedEncodedCharacter(utf8) || WebHost(utf8).empty()) return std::nullopt;
  return utf8;
}

}  // namespace lobby
