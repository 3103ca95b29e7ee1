// Running the real publisher program for tests, and reading what it wrote.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace publishtest {

struct RunResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs zemba-publish with `args`; its output files go to `scratch`.
RunResult RunPublisher(const std::vector<std::string>& args, const std::string& scratch);

// Every file below a directory, by relative path ("/" between levels), with its bytes.
std::map<std::string, std::string> Tree(const std::string& root);

// Every entry below a directory (files, folders, links) with what a change would touch: kind,
// size, bytes and modification time.
std::map<std::string, std::string> Snapshot(const std::string& root);

// The version file the publisher writes for a program version (and carries as Update.cfg).
std::string VersionDocument(const std::string& name, const std::string& version);

}  // namespace publishtest
