#include "lobby/player/BridgeScript.h"

#include <sys/random.h>

#include <cstdint>
#include <cstdio>

#include "lobby/player/BridgeSource.h"

namespace lobby::player {

std::string NewBridgeToken() {
  uint8_t bytes[16];
  if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) return {};
  std::string token;
  for (uint8_t b : bytes) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02x", b);
    token += hex;
  }
  return token;
}

std::string BridgeScriptSource(const std::string& token) {
  std::string source = kBridgeSource;
  const std::string placeholder = "@TOKEN@";
  const size_t at = source.find(placeholder);
  if (at != std::string::npos) source.replace(at, placeholder.size(), token);
  return source;
}

}  // namespace lobby::player
