// An archive that arrived in part survives an interrupted attempt or run and is continued with
// a range request. What makes continuing it safe is kept beside it in "<archive>.range": the
// hash of the list it belongs to and the validator (ETag or Last-Modified) of the answer that
// began it, so a kill at any moment leaves either a resumable pair or nothing usable.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/HttpRequest.h"

namespace updater {

// The name of the validator file beside `archive`.
std::string ValidatorPathFor(const std::string& archive);

// Where a partial archive can be continued.
struct ResumePoint {
  uint64_t offset = 0;    // bytes already there; 0 when the archive starts over
  std::string validator;  // what If-Range sends
};

// The resume point of `archive` when it belongs to the list `listHash`, is a regular file of
// more than 0 and fewer than `listedSize` bytes and has a validator beside it. Anything else
// (another list, a full or overlong file, a link, no validator) is removed and starts over.
ResumePoint FindResumePoint(const std::string& archive, const std::string& listHash, uint64_t listedSize);

// Records the validator of the answer that begins `archive`; an empty one removes the record,
// so the archive is not continued.
bool SaveValidator(const std::string& archive, const std::string& listHash, const std::string& validator);

// Removes the archive and its validator: the next attempt starts from the first byte.
void DiscardPartial(const std::string& archive);

// The validator an answer gives for If-Range: its ETag unless that is weak (If-Range compares
// strongly), else its Last-Modified; empty when neither can guard a range.
std::string ValidatorOf(const platform::HttpAnswer& answer);

// "Content-Range: bytes first-last/complete".
struct ContentRange {
  uint64_t first = 0;
  uint64_t last = 0;
  uint64_t complete = 0;
};
std::optional<ContentRange> ParseContentRange(std::string_view value);

// True when a 206 answering a request for the bytes from `asked` of a file of `size` bytes can
// be written into it: it runs to the end of that file and starts at or before `asked`, and its
// announced length (when given) is the range's.
bool RangeFits(const platform::HttpAnswer& answer, uint64_t asked, uint64_t size, uint64_t& first);

}  // namespace updater
