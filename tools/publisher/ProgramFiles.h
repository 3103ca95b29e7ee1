// The file set of a program directory, in the form the update list carries it.
#pragma once

#include <string>
#include <vector>

#include "text/Text.h"

namespace publisher {

struct ProgramFile {
  std::string localPath;     // absolute path on this machine
  text::WString name;        // FileName
  text::WString listPath;    // FilePath: subdirectories joined with "\", empty at the top
  text::WString localDir;    // the same subdirectories joined with "/"
};

// The publishing order: by relative path, level by level.
bool ListedBefore(const ProgramFile& a, const ProgramFile& b);

// Every regular file below the directory (symbolic links to files included, linked directories
// not followed), sorted by relative path so that publishing is repeatable. False with a message
// when the directory cannot be read.
bool ListProgramFiles(const std::string& directory, std::vector<ProgramFile>& files, text::WString& error);

}  // namespace publisher
