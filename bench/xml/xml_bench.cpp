// Parse speed of XmlDocument (UTF-16 in memory) against pugixml (UTF-8 in memory, default
// flags) on the same documents, printed as the ratio XmlDocument / pugixml; and the parse of
// malformed shapes against matched documents of the same length.
#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "xml/XmlDocument.h"
#include "xml/detail/IndexAccess.h"

namespace {

// A data document: many small elements with 2-3 attributes and short text.
std::string DataDocument(size_t bytes) {
  std::mt19937 rng(7);
  static const char* const kWords[] = {"alpha", "beta", "gamma", "delta", "x", "level", "42"};
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<data>\n";
  for (int group = 0; out.size() < bytes; ++group) {
    out += " <group id=\"" + std::to_string(group) + "\">\n";
    for (int i = 0; i < 20; ++i) {
      out += "  <row id=\"" + std::to_string(rng() % 100000) + "\" name='" + kWords[rng() % 7] + "'";
      if (rng() % 2) out += " kind=\"" + std::string(kWords[rng() % 7]) + "\"";
      out += ">" + std::string(kWords[rng() % 7]) + " &amp; " + kWords[rng() % 7] + "</row>\n";
    }
    out += " </group>\n";
  }
  return out + "</data>\n";
}

// A configuration-like document of about 2 KB.
std::string ConfigDocument() {
  std::string out =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Config>\n"
      "  <Windows>movie/lobby.html</Windows>\n  <UpdateUrl>http://update.example.com/</UpdateUrl>\n"
      "  <Brand>zemba</Brand>\n  <Version>1.0.3.7</Version>\n";
  for (int i = 0; out.size() < 1900; ++i) {
    out += "  <Server name=\"server" + std::to_string(i) + "\" host=\"10.0.0." + std::to_string(i) +
           "\" port=\"80" + std::to_string(i % 10) + "\">Game server &#x4E2D;</Server>\n";
  }
  return out + "</Config>\n";
}

// The movie's "CheckGame" request.
std::string CheckGameDocument() {
  return "<invoke name=\"CheckGame\" returntype=\"xml\"><arguments><object>"
         "<property id=\"GameName\"><string>Mahjong</string></property>"
         "<property id=\"GameParam\"><object><property id=\"ServerIp\"><string>10.1.2.3</string>"
         "</property><property id=\"ServerPort\"><number>8000</number></property>"
         "<property id=\"UserId\"><number>123456</number></property>"
         "<property id=\"Key\"><string>a1b2c3d4e5f6</string></property>"
         "<property id=\"Mode\"><number>1</number></property></object></property>"
         "</object></arguments></invoke>";
}

struct Inputs {
  std::string utf8;
  text::WString utf16;
};

const Inputs& Get(int which) {
  static const Inputs kInputs[] = {
      {DataDocument(50u << 20), {}}, {ConfigDocument(), {}}, {CheckGameDocument(), {}}};
  static bool converted = [] {
    for (const Inputs& in : kInputs) const_cast<Inputs&>(in).utf16 = text::FromUtf8(in.utf8);
    return true;
  }();
  (void)converted;
  return kInputs[which];
}

void Ours(benchmark::State& state) {
  const Inputs& in = Get(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    xml::XmlDocument doc;
    bool ok = doc.Parse(in.utf16);
    benchmark::DoNotOptimize(ok);
    if (!ok) state.SkipWithError("not well-formed");
  }
  state.SetBytesProcessed(state.iterations() * in.utf8.size());
}

void Pugi(benchmark::State& state) {
  const Inputs& in = Get(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    pugi::xml_document doc;
    pugi::xml_parse_result result = doc.load_buffer(in.utf8.data(), in.utf8.size());
    benchmark::DoNotOptimize(result.status);
    if (!result) state.SkipWithError("pugixml failed");
  }
  state.SetBytesProcessed(state.iterations() * in.utf8.size());
}

const char* const kCaseNames[] = {"data 50 MB", "config 2 KB", "CheckGame invoke"};

// Malformed markup that once made the parse quadratic, each beside a matched document of the
// same length (padded with trailing whitespace), so the ratio shows the cost per unit.
struct Shape {
  const char* name;
  text::WString malformed;
  text::WString matched;
};

text::WString Repeat(const text::WString& piece, int count) {
  text::WString out;
  out.reserve(piece.size() * count);
  for (int i = 0; i < count; ++i) out += piece;
  return out;
}

text::WString Numbered(const char16_t* before, int i) {
  return before + text::FormatInt(i) + u">";
}

Shape MakeShape(const char* name, text::WString malformed, text::WString matched) {
  text::WString& shorter = malformed.size() < matched.size() ? malformed : matched;
  shorter.append(std::max(malformed.size(), matched.size()) - shorter.size(), u' ');
  return {name, std::move(malformed), std::move(matched)};
}

// Nested runs of `depth` elements, side by side under one root: matched, and never too deep.
text::WString NestedRuns(int runs, int depth) {
  return u"<r>" + Repeat(Repeat(u"<a>", depth) + Repeat(u"</a>", depth), runs) + u"</r>";
}

std::vector<Shape> MakeShapes() {
  std::vector<Shape> shapes;
  const int n = 60000;
  shapes.push_back(MakeShape("lone end tags", Repeat(u"<a>", n) + Repeat(u"</b>", n),
                             Repeat(u"<a>", n) + Repeat(u"</a>", n)));
  text::WString opened, lone, closed;
  for (int i = 0; i < n; ++i) opened += Numbered(u"<a", i);
  for (int i = n; i-- > 0;) {
    lone += Numbered(u"</b", i);
    closed += Numbered(u"</a", i);
  }
  shapes.push_back(MakeShape("lone, distinct names", opened + lone, opened + closed));
  // The text ends where the matched document has its end tags.
  shapes.push_back(MakeShape("deep unended nesting", Repeat(u"<a>", n),
                             Repeat(u"<a>", n) + Repeat(u"</a>", n)));
  // 70,000 levels: the last 4,465 are past the depth limit and are not indexed.
  const int deep = 70000;
  shapes.push_back(MakeShape("past the depth limit", Repeat(u"<a>", deep) + Repeat(u"</a>", deep),
                             NestedRuns(deep / 100, 100)));
  shapes.push_back(MakeShape("past the limit, lone", Repeat(u"<a>", deep) + Repeat(u"</b>", deep),
                             NestedRuns(deep / 100, 100)));
  const int lifted = 30000;
  text::WString open = u"<r>" + Repeat(u"<a><b>", lifted) + Repeat(u"<c/>", lifted);
  shapes.push_back(MakeShape("subtree lifted", open + Repeat(u"</a>", lifted) + u"</r>",
                             open + Repeat(u"</b></a>", lifted) + u"</r>"));
  shapes.push_back(MakeShape("crossed end tags", u"<r>" + Repeat(u"<a><b></a></b>", n) + u"</r>",
                             u"<r>" + Repeat(u"<a><b></b></a>", n) + u"</r>"));
  shapes.push_back(MakeShape("syntax errors", Repeat(u"< ", 3 * n),
                             u"<r>" + Repeat(u"<a/>", 3 * n / 2) + u"</r>"));
  return shapes;
}

const std::vector<Shape>& Shapes() {
  static const std::vector<Shape> kShapes = MakeShapes();
  return kShapes;
}

void ParseShape(benchmark::State& state, bool malformed) {
  const Shape& shape = Shapes()[static_cast<size_t>(state.range(0))];
  const text::WString& text = malformed ? shape.malformed : shape.matched;
  for (auto _ : state) {
    xml::XmlDocument doc;
    benchmark::DoNotOptimize(doc.Parse(text));
  }
}

void Malformed(benchmark::State& state) { ParseShape(state, true); }
void Matched(benchmark::State& state) { ParseShape(state, false); }

constexpr int kShapeCount = 8;
BENCHMARK(Malformed)->DenseRange(0, kShapeCount - 1)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(5);
BENCHMARK(Matched)->DenseRange(0, kShapeCount - 1)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(5);

BENCHMARK(Ours)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3);
BENCHMARK(Pugi)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3)->Repetitions(3);
BENCHMARK(Ours)->Arg(1)->Unit(benchmark::kMicrosecond)->Repetitions(9);
BENCHMARK(Pugi)->Arg(1)->Unit(benchmark::kMicrosecond)->Repetitions(9);
BENCHMARK(Ours)->Arg(2)->Unit(benchmark::kMicrosecond)->Repetitions(9);
BENCHMARK(Pugi)->Arg(2)->Unit(benchmark::kMicrosecond)->Repetitions(9);

// Keeps the console output and remembers each run's time per iteration.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      // The machine is shared: the fastest repetition is the least disturbed one.
      std::string name = run.run_name.function_name + "/" + run.run_name.args;
      auto [it, fresh] = times.emplace(name, run.GetAdjustedCPUTime());
      if (!fresh && run.GetAdjustedCPUTime() < it->second) it->second = run.GetAdjustedCPUTime();
    }
  }
  std::map<std::string, double> times;
};

void PrintMemory() {
  const Inputs& in = Get(0);
  xml::XmlDocument doc;
  doc.Parse(in.utf16);
  double elements = xml::detail::IndexAccess::Of(doc).UsedCount() - 1;
  std::printf("index of the data document: %.0f elements, %zu bytes per record in use, %.1f bytes "
              "per element allocated (capacity %d)\n",
              elements, sizeof(xml::detail::ElementRecord),
              xml::detail::IndexAccess::Of(doc).Capacity() * 32.0 / elements, xml::detail::IndexAccess::Of(doc).Capacity());
}

}  // namespace

int main(int argc, char** argv) {
  // Repetitions of both parsers are interleaved so that a busy moment of the shared machine
  // does not land on one side only.
  std::vector<char*> args(argv, argv + argc);
  char interleave[] = "--benchmark_enable_random_interleaving=true";
  args.insert(args.begin() + 1, interleave);
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nratio XmlDocument / pugixml (fastest repetition's CPU time per parse, lower is better):\n");
  for (int i = 0; i < 3; ++i) {
    std::string arg = "/" + std::to_string(i);
    auto ours = reporter.times.find("Ours" + arg);
    auto pugi = reporter.times.find("Pugi" + arg);
    if (ours == reporter.times.end() || pugi == reporter.times.end()) continue;
    std::printf("  %-18s %.2f\n", kCaseNames[i], ours->second / pugi->second);
  }
  std::printf("\nmalformed shapes against a matched document of the same length (fastest CPU time, "
              "target <= 3):\n");
  for (int i = 0; i < kShapeCount; ++i) {
    std::string arg = "/" + std::to_string(i);
    auto malformed = reporter.times.find("Malformed" + arg);
    auto matched = reporter.times.find("Matched" + arg);
    if (malformed == reporter.times.end() || matched == reporter.times.end()) continue;
    std::printf("  %-22s %.2f  (%zu units)\n", Shapes()[i].name, malformed->second / matched->second,
                Shapes()[i].malformed.size());
  }
  PrintMemory();
  benchmark::Shutdown();
  return 0;
}
