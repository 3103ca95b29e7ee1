#include "lobby/frame/MovieProblemPage.h"

namespace lobby {

namespace {

bool IsSchemeCharacter(char16_t c, bool first) {
  const bool letter = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
  return letter || (!first && ((c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.'));
}

const char* Explanation(MovieProblem problem) {
  switch (problem) {
    case MovieProblem::kNotLocal:
      return "配置的大厅页面是一个网络地址，不是本机上的文件。游戏大厅只显示程序目录下的页面文件。";
    case MovieProblem::kNotBelowProgram:
      return "大厅页面必须放在程序目录下的一个文件夹里，配置的页面不在其中。";
    case MovieProblem::kMissing:
      break;
  }
  return "找不到大厅页面文件，或者它不是一个可以读取的文件。";
}

const char* WhereLabel(MovieProblem problem) {
  return problem == MovieProblem::kNotLocal ? "配置的地址：" : "大厅查找的位置：";
}

}  // namespace

bool NamesAnAddress(text::WStringView entry) {
  size_t i = 0;
  while (i < entry.size() && IsSchemeCharacter(entry[i], i == 0)) ++i;
  return i >= 2 && i < entry.size() && entry[i] == u':';
}

std::string EscapeHtml(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out.push_back(c);
    }
  }
  return out;
}

// The policy forbids every script and every load, so even a path that escaped its escaping
// could run nothing and fetch nothing.
std::string MovieProblemPage(MovieProblem problem, const std::string& where, const std::string& configFile) {
  return std::string(
             "<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\">"
             "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; style-src 'unsafe-inline'\">"
             "<title>无法显示大厅页面</title><style>"
             "body{margin:0;font:15px/1.7 sans-serif;background:#f3f5f8;color:#222}"
             "main{max-width:560px;margin:60px auto;padding:24px 28px;background:#fff;border-radius:8px;"
             "border:1px solid #d5dbe3}h1{font-size:20px;margin:0 0 12px;color:#b3261e}"
             "code{display:block;padding:6px 8px;background:#eef1f5;border-radius:4px;word-break:break-all;"
             "white-space:pre-wrap}p{margin:10px 0}"
             "</style></head><body><main><h1>无法显示大厅页面</h1><p id=\"problem\">") +
         Explanation(problem) + "</p><p>" + WhereLabel(problem) + "<code id=\"where\">" + EscapeHtml(where) +
         "</code></p><p>请检查配置文件中的 Windows 项：<code id=\"config\">" + EscapeHtml(configFile) +
         "</code>或者重新安装游戏大厅。</p></main></body></html>";
}

}  // namespace lobby
