// Replacing files so that an interruption at any moment leaves either the old or the new
// content under the name, never a torn mix: the new content goes to a temporary name in the
// same directory, is flushed to disk, and is renamed over the target. Both programs and the
// publisher replace files only through here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The temporary name used beside `target`. It is fixed per target so that a run interrupted
// after making it overwrites (and so removes) it the next time, and it always fits the file
// system's name limit (a long name gets a short, hashed temporary name).
std::string TemporaryNameFor(const std::string& target);

// How far a replacement goes before the rename: kFlushed survives a power cut; kUnflushed only
// a killed program, for records whose loss costs nothing but work done again.
enum class Durability { kFlushed, kUnflushed };

// Writes `bytes` as the new content of `target`: a new temporary file (never through a link
// planted at its name), every byte written, flushed (unless kUnflushed) and closed without
// error, then renamed over the target. False, with the target untouched and no temporary left,
// on any failure (a full disk included).
bool ReplaceFileContent(const std::string& target, std::string_view bytes, unsigned mode = 0644,
                        Durability durability = Durability::kFlushed);

// Replacing many files that share one flush: stage every file, flush them all, then commit
// each (rename). Staging never touches the target; until its commit a target is untouched.
enum class Staging { kStaged, kAlreadyInPlace, kFailed };
// Writes the temporary copy of `source` (a hard link when possible, else a copy with the mode
// bits); a failure leaves no temporary.
Staging StageReplacement(const std::string& source, const std::string& target);
// Starts writing a finished file to disk without waiting, so that a later flush of it is short.
void StartWriteback(const std::string& path);
// Brings the named files to disk; false when any of them cannot be flushed.
bool FlushFiles(const std::vector<std::string>& paths);
// Renames the staged copy over the target; false when it cannot (the staged copy then stays).
bool CommitReplacement(const std::string& target);
void DiscardReplacement(const std::string& target);

}  // namespace platform
