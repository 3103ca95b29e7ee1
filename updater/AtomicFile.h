// Replacing files so that an interruption at any moment leaves either the old or the new
// content under the name, never a torn mix: the new content goes to a temporary name in the
// same directory, is flushed to disk, and is renamed over the target.
#pragma once

#include <functional>
#include <string>

namespace updater {

// The temporary name used beside `target`. It is fixed per target so that a run interrupted
// after making it overwrites (and so removes) it the next time.
std::string TemporaryNameFor(const std::string& target);

// Puts the content and mode bits of `source` under `target` atomically. `source` is left in
// place. False, with `target` untouched, when the temporary file cannot be made, written or
// renamed (for example when `target` is a directory).
bool ReplaceWithCopy(const std::string& source, const std::string& target);

// Calls write(temporaryPath) and, when it succeeds, flushes that file and renames it over
// `target`. Used for documents that a library writes by path.
bool WriteAtomically(const std::string& target, const std::function<bool(const std::string&)>& write);

}  // namespace updater
