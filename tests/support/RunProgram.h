// Runs a program to its end as a user would from a shell: its own arguments, its output in two
// files. For tests of command-line programs.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

// Starts `program` with `args` (argv[0] is the program) and waits for it. Standard output and
// standard error go to the two files (created anew). The exit code, or -1 when the program
// could not be started or did not end normally.
int RunProgram(const std::string& program, const std::vector<std::string>& args, const std::string& outPath,
               const std::string& errPath);

}  // namespace testsupport
