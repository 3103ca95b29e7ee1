#include "platform/win32/CommandLine.h"

#include "platform/win32/Wide.h"

namespace platform::detail {

namespace {

void AppendQuoted(std::wstring& out, const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    out += arg;
    return;
  }
  out += L'"';
  size_t slashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++slashes;
      continue;
    }
    // Backslashes before a quote are doubled, and the quote itself escaped.
    out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
    slashes = 0;
    out += c;
  }
  out.append(slashes * 2, L'\\');  // before the closing quote
  out += L'"';
}

}  // namespace

std::wstring JoinCommandLine(const std::vector<std::string>& argv) {
  std::wstring line;
  for (size_t i = 0; i < argv.size(); ++i) {
    if (i) line += L' ';
    AppendQuoted(line, Wide(argv[i]));
  }
  return line;
}

}  // namespace platform::detail
