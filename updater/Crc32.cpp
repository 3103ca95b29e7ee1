#include "updater/Crc32.h"

#include <zlib.h>

namespace updater {

uint32_t Crc32(const void* data, size_t length) {
  if (length == 0) return 0;
  return static_cast<uint32_t>(crc32_z(0, static_cast<const Bytef*>(data), length));
}

text::WString CrcText(uint32_t crc) { return text::FormatHex(crc); }

}  // namespace updater
