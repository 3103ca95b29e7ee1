#include "updater/PartialArchive.h"

#include <charconv>

#include "contract/Contract.h"
#include "platform/AtomicFile.h"
#include "platform/FileRead.h"
#include "platform/FileSystem.h"
#include "updater/ArchiveHash.h"

namespace updater {
namespace {

constexpr uint64_t kValidatorFileLimit = 4096;
constexpr std::string_view kListKey = "list ";
constexpr std::string_view kValidatorKey = "validator ";

std::optional<uint64_t> Number(std::string_view text) {
  uint64_t value = 0;
  if (text.empty()) return std::nullopt;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// The record itself, never what a link planted at its name points to.
std::optional<std::string> ReadSmall(const std::string& path) {
  platform::FileFacts facts;
  if (!platform::RegularFileFacts(path, platform::Links::kNoFollow, facts)) return std::nullopt;
  return platform::ReadRegularFile(path, kValidatorFileLimit);
}

// The validator the record holds for this list; empty when it holds none or another list's.
std::string RecordedValidator(const std::string& record, const std::string& listHash) {
  const std::string expectedList = std::string(kListKey) + listHash + "\n";
  if (record.rfind(expectedList, 0) != 0) return {};
  std::string_view rest = std::string_view(record).substr(expectedList.size());
  if (rest.rfind(kValidatorKey, 0) != 0 || rest.empty() || rest.back() != '\n') return {};
  rest = rest.substr(kValidatorKey.size(), rest.size() - kValidatorKey.size() - 1);
  return rest.find_first_of("\r\n") == std::string_view::npos ? std::string(rest) : std::string();
}

}  // namespace

std::string ValidatorPathFor(const std::string& archive) { return archive + contract::kRangeSuffix; }

ResumePoint FindResumePoint(const std::string& archive, const std::string& listHash, uint64_t listedSize) {
  platform::FileFacts facts;
  const std::optional<std::string> record = ReadSmall(ValidatorPathFor(archive));
  ResumePoint point;
  if (record && platform::RegularFileFacts(archive, platform::Links::kNoFollow, facts) && facts.size > 0 &&
      facts.size < listedSize) {
    point.validator = RecordedValidator(*record, listHash);
    if (!point.validator.empty()) point.offset = facts.size;
  }
  if (point.offset == 0) DiscardPartial(archive);
  return point;
}

bool SaveValidator(const std::string& archive, const std::string& listHash, const std::string& validator) {
  const std::string path = ValidatorPathFor(archive);
  if (validator.empty() || validator.find_first_of("\r\n") != std::string::npos || !IsHashText(listHash)) {
    platform::RemoveFile(path);
    return false;
  }
  const std::string record = std::string(kListKey) + listHash + "\n" + std::string(kValidatorKey) + validator + "\n";
  // Written for every archive, so it is not flushed: a record lost in a power cut only means
  // the archive is fetched from its first byte again.
  return platform::ReplaceFileContent(path, record, 0644, platform::Durability::kUnflushed);
}

void DiscardPartial(const std::string& archive) {
  // The record goes first: an archive without one is never continued.
  platform::RemoveFile(ValidatorPathFor(archive));
  platform::RemoveFile(archive);
}

std::string ValidatorOf(const platform::HttpAnswer& answer) {
  const std::string etag = answer.Field("ETag");
  if (etag.size() >= 2 && etag.front() == '"' && etag.back() == '"') return etag;
  return answer.Field("Last-Modified");
}

std::optional<ContentRange> ParseContentRange(std::string_view value) {
  constexpr std::string_view kUnit = "bytes ";
  if (value.rfind(kUnit, 0) != 0) return std::nullopt;
  value.remove_prefix(kUnit.size());
  const size_t dash = value.find('-');
  const size_t slash = value.find('/');
  if (dash == std::string_view::npos || slash == std::string_view::npos || dash > slash) return std::nullopt;
  const auto first = Number(value.substr(0, dash));
  const auto last = Number(value.substr(dash + 1, slash - dash - 1));
  const auto complete = Number(value.substr(slash + 1));
  if (!first || !last || !complete || *first > *last || *last >= *complete) return std::nullopt;
  return ContentRange{*first, *last, *complete};
}

bool RangeFits(const platform::HttpAnswer& answer, uint64_t asked, uint64_t size, uint64_t& first) {
  const std::optional<ContentRange> range = ParseContentRange(answer.Field("Content-Range"));
  if (!range || range->complete != size || range->last + 1 != size || range->first > asked) return false;
  const std::string length = answer.Field("Content-Length");
  if (!length.empty() && Number(length) != range->last - range->first + 1) return false;
  first = range->first;
  return true;
}

}  // namespace updater
