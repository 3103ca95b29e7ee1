#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <random>
#include <fstream>
#include <string>

#include "xml/XmlDocument.h"

namespace xml {
namespace {

using text::WString;

// Each test writes its files into a fresh directory of its own.
class XmlFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::error_code ec;
    std::random_device seed;
    dir_ = std::filesystem::temp_directory_path() / ("xmlfile-" + std::to_string(seed()));
    ASSERT_TRUE(std::filesystem::create_directory(dir_, ec));
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }

  // Writes the bytes to a file in the test directory and returns its path.
  WString Write(const std::string& name, const std::string& bytes) {
    std::filesystem::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return text::FromUtf8(path.string());
  }
  WString PathOf(const std::string& name) const { return text::FromUtf8((dir_ / name).string()); }

  std::filesystem::path dir_;
};

// "<a>中</a>" in the encodings below; 中 is U+4E2D.
const std::string kUtf8Doc = "<a>\xE4\xB8\xAD</a>";  // 10 bytes
const std::string kUtf16LeDoc("<\0a\0>\0\x2D\x4E<\0/\0a\0>\0", 16);
const std::string kUtf16BeDoc("\0<\0a\0>\x4E\x2D\0<\0/\0a\0>", 16);
const WString kDocText = u"<a>\u4E2D</a>";  // 8 units

// --- Byte order marks -----------------------------------------------------------------------

TEST_F(XmlFileTest, Utf8WithMark) {
  XmlDocument doc;
  EXPECT_TRUE(doc.LoadFile(Write("u8bom.xml", "\xEF\xBB\xBF" + kUtf8Doc)));
  EXPECT_EQ(doc.ToString(), kDocText);
  EXPECT_EQ(doc.GetError(),
            u"<bom/><read encoding=\"UTF-8\" length=\"10\"/>"
            u"<converted_to encoding=\"UTF-16\" length=\"8\"/>");
}

TEST_F(XmlFileTest, Utf16LittleEndianWithMarkIsTakenAsItIs) {
  XmlDocument doc;
  EXPECT_TRUE(doc.LoadFile(Write("u16le.xml", "\xFF\xFE" + kUtf16LeDoc)));
  EXPECT_EQ(doc.ToString(), kDocText);
  EXPECT_EQ(doc.GetError(), u"<bom/><read encoding=\"UTF-16LE\" length=\"8\"/>");
}

TEST_F(XmlFileTest, Utf16BigEndianWithMarkIsSwapped) {
  XmlDocument doc;
  EXPECT_TRUE(doc.LoadFile(Write("u16be.xml", "\xFE\xFF" + kUtf16BeDoc)));
  EXPECT_EQ(doc.ToString(), kDocText);
  EXPECT_EQ(doc.GetError(), u"<bom/><read encoding=\"UTF-16BE\" length=\"8\"/><endian_swap/>");
}

TEST_F(XmlFileTest, Utf16OddTrailingByteIsDropped) {
  WString text, report;
  EXPECT_TRUE(XmlDocument::ReadTextFile(Write("odd.xml", std::string("\xFF\xFE" "a\0b", 5)), text, report));
  EXPECT_EQ(text, u"a");
  EXPECT_EQ(report, u"<bom/><read encoding=\"UTF-16LE\" length=\"1\"/>");
}

TEST_F(XmlFileTest, FileOfOnlyAMarkReadsNothing) {
  WString text = u"old", report;
  EXPECT_TRUE(XmlDocument::ReadTextFile(Write("bom.xml", "\xEF\xBB\xBF"), text, report));
  EXPECT_EQ(text, u"");
  EXPECT_EQ(report, u"<bom/><read encoding=\"UTF-8\" length=\"0\"/>");
  // Nothing follows the mark, so nothing is swapped either.
  EXPECT_TRUE(XmlDocument::ReadTextFile(Write("be.xml", "\xFE\xFF"), text, report));
  EXPECT_EQ(text, u"");
  EXPECT_EQ(report, u"<bom/><read encoding=\"UTF-16BE\" length=\"0\"/>");
  EXPECT_TRUE(XmlDocument::ReadTextFile(Write("le.xml", "\xFF\xFE"), text, report));
  EXPECT_EQ(report, u"<bom/><read encoding=\"UTF-16LE\" length=\"0\"/>");
}

// --- Declared and detected encodings --------------------------------------------------------

TEST_F(XmlFileTest, MarkupWithoutMarkOrDeclarationIsTakenAsUtf8WithoutCheck) {
  XmlDocument doc;
  EXPECT_TRUE(doc.LoadFile(Write("plain.xml", kUtf8Doc)));
  EXPECT_EQ(doc.ToString(), kDocText);
  EXPECT_EQ(doc.GetError(),
            u"<read encoding=\"UTF-8\" length=\"10\"/>"
            u"<converted_to encoding=\"UTF-16\" length=\"8\"/>");
}

TEST_F(XmlFileTest, DeclaredChineseNamesAreDecodedAsGbk) {
  for (std::string name : {"gb2312", "GBK"}) {
    SCOPED_TRACE(name);
    std::string decl = "<?xml version=\"1.0\" encoding=\"" + name + "\"?>";
    XmlDocument doc;
    EXPECT_TRUE(doc.LoadFile(Write("gbk.xml", decl + "<a>\xD6\xD0\xCE\xC4</a>")));
    EXPECT_EQ(doc.ToString(), text::FromUtf8(decl) + u"<a>\u4E2D\u6587</a>");
    WString expected = u"<read encoding=\"" + text::FromUtf8(name) + u"\" length=\"" +
                       text::FormatInt(static_cast<int32_t>(decl.size() + 11)) +
                       u"\"/><converted_to encoding=\"UTF-16\" length=\"" +
                       text::FormatInt(static_cast<int32_t>(decl.size() + 9)) + u"\"/>";
    EXPECT_EQ(doc.GetError(), expected);
  }
}

TEST_F(XmlFileTest, HtmlMetaCharsetNamesTheEncoding) {
  std::string page =
      "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">"
      "<title>\xD6\xD0\xCE\xC4</title></head></html>";
  WString text, report;
  EXPECT_TRUE(XmlDocument::ReadTextFile(Write("page.html", page), text, report));
  EXPECT_NE(text.find(u"<title>\u4E2D\u6587</title>"), WString::npos);
  EXPECT_EQ(report.substr(0, 21), u"<read encoding=\"gbk\" ");
}

TEST_F(XmlFileTest, DeclarationFoundInTheHeadAppliesToTheWholeFile) {
  std::string decl = "<?xml version=\"1.0\" encoding=\"gbk\"?><a>";
  std::string filler(3000, 'x');
  WString text, report;
  EXPECT_TRUE(XmlDocument::ReadTextFile(
      Write("long.xml", decl + filler + "\xD6\xD0</a>"), text, report));
  EXPECT_EQ(text, text::FromUtf8(decl + filler) + u"\u4E2D</a>");
}

TEST_F(XmlFileTest, DeclaredWideEncodingInAnEightBitFileIsReadAsUtf8) {
  std::string decl = "<?xml version=\"1.0\" encoding=\"utf-16\"?>";
  XmlDocument doc;
  EXPECT_TRUE(doc.LoadFile(Write("liar.xml", decl + kUtf8Doc)));
  EXPECT_EQ(doc.ToString(), text::FromUtf8(decl) + kDocText);
  WString expected = u"<read encoding=\"UTF-8\" length=\"" +
                     text::FormatInt(static_cast<int32_t>(decl.size() + 10)) +
                     u"\"/><converted_to encoding=\"UTF-16\" length=\"" +
                     text::FormatInt(static_cast<int32_t>(decl.size() + 8)) + u"\"/>";
  EXPECT_EQ(doc.GetError(), expected);
}

TEST_F(XmlFileTest, TextStartIsCheckedAndDecodedAsUtf8WhenValid) {
  WString text, report;
  EXPECT_TRUE(XmlDocument::ReadTextFile(Write("t8.txt", "x \xE4\xB8\xAD"), text, report));
  EXPECT_EQ(text, u"x \u4E2D");
  EXPECT_EQ(report,
            u"<read encoding=\"UTF-8\" length=\"5\"/><utf8_detection/>"
            u"<converted_to encoding=\"UTF-16\" length=\"3\"/>");
}

TEST_F(XmlFileTest, TextStartThatIsNotUtf8IsDecodedAsGbk) {
  WString text, report;
  EXPECT_TRUE(XmlDocument::ReadTextFile(Write("tg.txt", "x \xD6\xD0\xCE\xC4"), text, report));
  EXPECT_EQ(text, u"x \u4E2D\u6587");
  EXPECT_EQ(report,
            u"<read encoding=\"\" length=\"6\"/><utf8_detection/>"
            u"<converted_to encoding=\"UTF-16\" length=\"4\"/>");
}

// --- Zero bytes -----------------------------------------------------------------------------

TEST_F(XmlFileTest, ZeroBytesAreDroppedBeforeConversion) {
  XmlDocument doc;
  EXPECT_TRUE(doc.LoadFile(Write("zeros.xml", std::string("<a>\0b\0</a>", 10))));
  EXPECT_EQ(doc.ToString(), u"<a>b</a>");
  EXPECT_EQ(doc.GetError(),
            u"<read encoding=\"UTF-8\" length=\"10\"/><nulls_removed count=\"2\"/>"
            u"<converted_to encoding=\"UTF-16\" length=\"8\"/>");
}

TEST_F(XmlFileTest, ZeroUnitsAreDroppedFromUtf16) {
  WString text, report;
  std::string bytes("\xFE\xFF\0a\0\0\0b", 8);
  EXPECT_TRUE(XmlDocument::ReadTextFile(Write("nul16.xml", bytes), text, report));
  EXPECT_EQ(text, u"ab");
  EXPECT_EQ(report,
            u"<bom/><read encoding=\"UTF-16BE\" length=\"3\"/><nulls_removed count=\"1\"/>"
            u"<endian_swap/>");
}

// --- Empty files and failures ---------------------------------------------------------------

TEST_F(XmlFileTest, EmptyFileReadsNothingAndDoesNotLoad) {
  XmlDocument doc;
  EXPECT_FALSE(doc.LoadFile(Write("empty.xml", "")));
  EXPECT_EQ(doc.ToString(), u"");
  EXPECT_EQ(doc.GetError(), u"<read encoding=\"\" length=\"0\"/>");
}

TEST_F(XmlFileTest, MissingFileIsOneFileError) {
  XmlDocument doc;
  EXPECT_FALSE(doc.LoadFile(PathOf("missing.xml")));
  EXPECT_EQ(doc.GetError(), u"<file_error msg=\"No such file or directory\" n=\"2\"/>");
}

TEST_F(XmlFileTest, DirectoryIsAFileError) {
  WString text = u"old", report;
  EXPECT_FALSE(XmlDocument::ReadTextFile(text::FromUtf8(dir_.string()), text, report));
  EXPECT_EQ(text, u"");
  EXPECT_EQ(report, u"<file_error msg=\"Is a directory\" n=\"21\"/>");
}

TEST_F(XmlFileTest, PipeIsRefusedWithoutWaitingForAWriter) {
#ifdef _WIN32
  GTEST_SKIP() << "named pipes in the file system are POSIX only";
#else
  std::string path = (dir_ / "pipe").string();
  ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
  WString text, report;
  EXPECT_FALSE(XmlDocument::ReadTextFile(text::FromUtf8(path), text, report));
  EXPECT_EQ(report, u"<file_error msg=\"Invalid argument\" n=\"22\"/>");
#endif
}

TEST_F(XmlFileTest, FileBeyondThirtyTwoBitOffsetsIsRefusedBeforeReading) {
  WString path = Write("huge.xml", "<a/>");
  std::filesystem::resize_file(dir_ / "huge.xml", 0x80000000ull);  // sparse: takes no space
  WString text, report;
  EXPECT_FALSE(XmlDocument::ReadTextFile(path, text, report));
  EXPECT_EQ(report, u"<file_error msg=\"File too large\" n=\"27\"/>");
}

TEST_F(XmlFileTest, FailedReadEmptiesTheTextAndReplacesTheReport) {
  WString text = u"old", report = u"<old/>";
  EXPECT_FALSE(XmlDocument::ReadTextFile(PathOf("missing.xml"), text, report));
  EXPECT_EQ(text, u"");
  EXPECT_EQ(report, u"<file_error msg=\"No such file or directory\" n=\"2\"/>");
}

TEST_F(XmlFileTest, FailedLoadLeavesNoElementsOfTheEarlierDocument) {
  XmlDocument doc;
  ASSERT_TRUE(doc.LoadFile(Write("a.xml", "<a><b/></a>")));
  ASSERT_TRUE(doc.FindElement(u"a"));
  EXPECT_FALSE(doc.LoadFile(PathOf("missing.xml")));
  EXPECT_EQ(doc.ToString(), u"");
  EXPECT_EQ(doc.CurrentPosition(), 0);
  EXPECT_FALSE(doc.FindElement());
  EXPECT_FALSE(doc.EnterElement());
}

// --- Loading ---------------------------------------------------------------------------------

TEST_F(XmlFileTest, LoadReportHasFileEntriesThenParseEntries) {
  XmlDocument doc(u"<x></y></x>");  // leaves a report of its own
  EXPECT_FALSE(doc.LoadFile(Write("two.xml", "<a/><b/>")));
  EXPECT_EQ(doc.GetError(),
            u"<read encoding=\"UTF-8\" length=\"8\"/>"
            u"<converted_to encoding=\"UTF-16\" length=\"8\"/><root_has_sibling/>");
}

TEST_F(XmlFileTest, LoadedDocumentIsNavigable) {
  XmlDocument doc;
  ASSERT_TRUE(doc.LoadFile(Write("cfg.xml", "\xEF\xBB\xBF<Config><Windows>movie/lobby.html"
                                            "</Windows></Config>")));
  ASSERT_TRUE(doc.FindElement(u"Config"));
  ASSERT_TRUE(doc.FindChildElement(u"Windows"));
  EXPECT_EQ(doc.GetChildData(), u"movie/lobby.html");
}

}  // namespace
}  // namespace xml
