// The recorder program, which stands in for a game, the updater or any program a test starts:
// it writes its working directory and arguments to "<own path>.record".
#pragma once

#include <string>
#include <vector>

namespace testsupport {

// Copies the recorder program to `path` plus the executable suffix.
bool InstallRecorder(const std::string& path);

// The recorder program as built.
std::string RecorderProgram();

// Lines of "<path>.record": working directory, then argv[0], argv[1], ...; fewer than two
// when the program has not written it within about twenty seconds.
std::vector<std::string> WaitForRecord(const std::string& path);

}  // namespace testsupport
