// A temporary directory for one test: created empty in the temporary directory, removed with
// everything in it when the object goes away.
#pragma once

#include <string>

#include "text/Text.h"

namespace testsupport {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Absolute path with "/" separators, without a trailing one; empty when the directory could
  // not be made.
  const std::string& Path() const { return path_; }
  text::WString WPath() const { return text::FromUtf8(path_); }
  // Path() + "/" + relative.
  std::string Join(const std::string& relative) const { return path_ + "/" + relative; }

 private:
  std::string path_;
};

// Creates a new empty directory with the prefix in the temporary directory ($TMPDIR, /tmp, or
// the user's temporary folder on Windows). Its UTF-8 path; empty when none could be made.
std::string MakeUniqueDirectory(const std::string& prefix);

// Small file helpers for tests: whole-file read and write, creating parent directories.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);  // empty when missing

}  // namespace testsupport
