#include "updater/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "contract/Contract.h"

namespace updater {
namespace {

using text::WString;

std::vector<WString> Tokens(std::initializer_list<const char16_t*> list) {
  return std::vector<WString>(list.begin(), list.end());
}

// The arguments as the system hands them over, each one token, after the program's own name.
UpdaterOptions Parse(std::initializer_list<const char*> arguments, bool expectOk = true) {
  std::vector<const char*> argv{"Vendrel"};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  UpdaterOptions options;
  std::string shown;
  for (const char* a : arguments) shown += std::string(a) + " ";
  EXPECT_EQ(ParseUpdaterArguments(static_cast<int>(argv.size()), argv.data(), options), expectOk) << shown;
  return options;
}

TEST(CommandLineOptions, LobbyFormIsAccepted) {
  UpdaterOptions o = Parse({"-name", "Quorvane", "-number", "1.2.3", "-prog", "/opt/q", "-down",
                            "/tmp/q down", "-http", "http://u.example/zemba/quorvane", "-reboot"});
  EXPECT_EQ(o.programName, u"Quorvane");
  EXPECT_EQ(o.version, u"1.2.3");
  EXPECT_EQ(o.versionKey, u"123");
  EXPECT_EQ(o.programDir, u"/opt/q");
  EXPECT_EQ(o.downloadDir, u"/tmp/q down");
  EXPECT_EQ(o.serverUrl, u"http://u.example/zemba/quorvane");
  EXPECT_TRUE(o.restart);
}

TEST(CommandLineOptions, WithoutRebootNoRestart) {
  EXPECT_FALSE(Parse({"-name", "a", "-number", "1", "-prog", "p", "-down", "d", "-http", "h"}).restart);
}

TEST(CommandLineOptions, OtherOrderSlashAndUpperCaseAreAccepted) {
  UpdaterOptions o = Parse({"/HTTP", "h", "/Down", "d", "-PROG", "p", "/nUmBeR", "1.0.12", "/NAME",
                            "n", "/REBOOT"});
  EXPECT_EQ(o.programName, u"n");
  EXPECT_EQ(o.versionKey, u"1012");
  EXPECT_EQ(o.serverUrl, u"h");
  EXPECT_TRUE(o.restart);
}

TEST(CommandLineOptions, TrailingUnknownOptionIsToleratedAndEndsTheParse) {
  // -reboot after the unknown option is ignored.
  EXPECT_FALSE(Parse({"-name", "n", "-number", "1", "-prog", "p", "-down", "d", "-http", "h",
                      "-verbose", "-reboot"}).restart);
}

TEST(CommandLineOptions, UnknownOptionFirstStopsEverything) {
  Parse({"-verbose", "-name", "n", "-number", "1", "-prog", "p", "-down", "d", "-http", "h"}, false);
}

TEST(CommandLineOptions, NonOptionTokenStopsTheParse) {
  Parse({"-name", "n", "-number", "1", "extra", "-prog", "p", "-down", "d", "-http", "h"}, false);
}

TEST(CommandLineOptions, DoubledHyphenMatchesNothing) {
  Parse({"--name", "n", "-number", "1", "-prog", "p", "-down", "d", "-http", "h"}, false);
}

TEST(CommandLineOptions, EmptyNameIsAccepted) {
  EXPECT_EQ(Parse({"-name", "", "-number", "1", "-prog", "p", "-down", "d", "-http", "h"}).programName, u"");
}

TEST(CommandLineOptions, NumberAndRebootAloneAreRefused) {
  Parse({"-number", "1.0", "-reboot"}, false);
}

TEST(CommandLineOptions, ValueMayStartWithAHyphen) {
  UpdaterOptions o = Parse({"-name", "-reboot", "-number", "1", "-prog", "p", "-down", "d", "-http", "h"});
  EXPECT_EQ(o.programName, u"-reboot");
}

TEST(CommandLineOptions, ValueLessLastOptionIsDropped) {
  std::vector<CommandLineOption> options = MatchOptions(Tokens({u"-name", u"n", u"-http"}));
  ASSERT_EQ(options.size(), 1u);
  EXPECT_EQ(options[0].name, u"-name");
  EXPECT_TRUE(options[0].hasValue);
}

TEST(CommandLineOptions, OptionNamesTakeTheTableForm) {
  std::vector<CommandLineOption> options = MatchOptions(Tokens({u"/NUMBER", u"2", u"-Reboot"}));
  ASSERT_EQ(options.size(), 2u);
  EXPECT_EQ(options[0].name, u"-number");
  EXPECT_EQ(options[1].name, u"-reboot");
  EXPECT_FALSE(options[1].hasValue);
  EXPECT_EQ(options[1].value, u"");
}

TEST(CommandLineOptions, FirstOccurrenceWins) {
  UpdaterOptions o = Parse({"-name", "a", "-name", "b", "-number", "1", "-number", "2", "-prog", "p",
                            "-down", "d", "-http", "h", "-prog", "q"});
  EXPECT_EQ(o.programName, u"a");
  EXPECT_EQ(o.version, u"1");
  EXPECT_EQ(o.programDir, u"p");
}

TEST(CommandLineOptions, ArgumentVectorTakesEachArgumentAsOneToken) {
  const char* argv[] = {"Vendrel", "-name", "我的 游戏", "-number", "1.0", "-prog", "/p", "-down", "/d",
                        "-http", "http://h/x"};
  UpdaterOptions o;
  ASSERT_TRUE(ParseUpdaterArguments(11, argv, o));
  EXPECT_EQ(o.programName, u"我的 游戏");
  EXPECT_EQ(o.versionKey, u"10");
}

TEST(CommandLineOptions, ArgumentVectorWithoutRequiredOptionsIsRefused) {
  const char* argv[] = {"Vendrel", "-number", "1.0", "-reboot"};
  UpdaterOptions o;
  EXPECT_FALSE(ParseUpdaterArguments(4, argv, o));
}

TEST(CommandLineOptions, VersionKeyDropsEveryDot) {
  UpdaterOptions o = Parse({"-name", "a", "-number", "..1.0.12.", "-prog", "p", "-down", "d", "-http", "h"});
  EXPECT_EQ(o.versionKey, u"1012");
}

TEST(CommandLineOptions, InstanceNameIsSharedWithTheLobby) {
  EXPECT_EQ(contract::UpdaterLockName(), "Global\\Vendrel_Zemba");
}

}  // namespace
}  // namespace updater
