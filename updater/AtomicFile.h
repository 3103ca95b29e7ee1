// Replacing files so that an interruption at any moment leaves either the old or the new
// content under the name, never a torn mix: the new content goes to a temporary name in the
// same directory, is flushed to disk, and is renamed over the target.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace updater {

// The temporary name used beside `target`. It is fixed per target so that a run interrupted
// after making it overwrites (and so removes) it the next time.
std::string TemporaryNameFor(const std::string& target);

// Puts the content and mode bits of `source` under `target` atomically. `source` is left in
// place. False, with `target` untouched, when the temporary file cannot be made, written or
// renamed (for example when `target` is a directory).
bool ReplaceWithCopy(const std::string& source, const std::string& target);

// The same in three steps, so that many files share the flush: stage every file, flush them
// all, then commit each (rename). Until its commit a target is untouched.
enum class Staging { Staged, AlreadyInPlace, Failed };
// Writes the temporary copy (a hard link when possible); `flush` syncs it at once.
Staging StageReplacement(const std::string& source, const std::string& target, bool flush);
// Starts writing a finished file to disk without waiting, so that a later flush of it is short.
void StartWriteback(const std::string& path);
// Brings the named files to disk; false when any of them cannot be flushed.
bool FlushFiles(const std::vector<std::string>& paths);
// Renames the staged copy over the target; false when it cannot (the staged copy then stays).
bool CommitReplacement(const std::string& target);
void DiscardReplacement(const std::string& target);

// Calls write(temporaryPath) and, when it succeeds, flushes that file and renames it over
// `target`. Used for documents that a library writes by path.
bool WriteAtomically(const std::string& target, const std::function<bool(const std::string&)>& write);

}  // namespace updater
