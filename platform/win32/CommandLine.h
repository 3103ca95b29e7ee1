// Quoting of an argument vector into one Windows command line.
#pragma once

#include <string>
#include <vector>

namespace platform::detail {

// Joins the arguments so that the runtime's parser gives them back one by one: each is quoted
// when it is empty or holds a blank or a quote, with backslashes doubled before a quote.
std::wstring JoinCommandLine(const std::vector<std::string>& argv);

}  // namespace platform::detail
