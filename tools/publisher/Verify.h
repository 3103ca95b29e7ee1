// Checks a release through its public address, as a client would fetch it: the list (and its
// signature when keys are given), then every archive it names: length, CRC, signed hash, and
// the unpacked file's length and CRC.
#pragma once

#include <vector>

#include "contract/Contract.h"
#include "text/Text.h"

namespace publisher {

struct VerifyOptions {
  text::WString name;
  text::WString version;
  text::WString updateUrl;  // what the lobby's Config.cfg calls UpdateUrl
  text::WString corp = text::Ascii(contract::kCorp);
  text::WString keysFile;   // an UpdateKeys.pub: the list must be signed by one of its keys
};

struct VerifyReport {
  std::vector<text::WString> faults;  // one line each
  text::WString summary;
  bool Good() const { return faults.empty(); }
};

VerifyReport Verify(const VerifyOptions& options);

}  // namespace publisher
