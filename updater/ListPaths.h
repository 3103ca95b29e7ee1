// Safety rules for the names an update list carries, and their local form. A list comes from
// the network: it must never place a file outside the program or download directory.
#pragma once

#include "text/Text.h"

namespace updater {

// A bare file name: not empty, no "/" or "\", not "." or "..", no NUL or control characters.
bool IsSafeFileName(text::WStringView name);

// A relative directory in the list's form ("a\b"), or empty: no leading "\", no drive
// ("C:"), no "/", no empty, "." or ".." level, no NUL or control characters.
bool IsSafeFilePath(text::WStringView path);

// "a\b" -> "a/b": the list's FilePath as a local relative path.
text::WString LocalRelativePath(text::WStringView filePath);

// A relative path in the list's form as the file system here tells names apart: two paths
// name the same file when their keys are equal. On Windows "/" and "\" both separate levels,
// case does not count and a level's trailing dots and spaces are dropped; on Linux every
// character counts. The one place that knows it.
text::WString FileSystemKey(text::WStringView listPath);

}  // namespace updater
