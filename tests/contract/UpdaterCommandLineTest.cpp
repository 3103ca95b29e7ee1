// The lobby writes the updater's command line and the updater parses it: each value the lobby
// means must arrive as itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lobby/config/ClientConfig.h"
#include "lobby/update/UpdateTask.h"
#include "tests/support/TempDir.h"
#include "updater/CommandLine.h"

namespace {

updater::UpdaterOptions ParseWritten(const std::vector<std::string>& arguments, bool& parsed) {
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  updater::UpdaterOptions options;
  parsed = updater::ParseUpdaterArguments(static_cast<int>(argv.size()), argv.data(), options);
  return options;
}

TEST(UpdaterCommandLine, WhatTheLobbyWritesTheUpdaterReadsAsTheSameValues) {
  testsupport::TempDir dir;
  lobby::ClientConfig config(dir.WPath(), dir.Join("profile.ini"));
  lobby::UpdateTask task(u"我的 游戏", dir.WPath() + u"/我的 游戏", config, dir.WPath() + u"/cache dir");
  task.Version = u"1.0.12";
  for (bool reboot : {false, true}) {
    bool parsed = false;
    const updater::UpdaterOptions options = ParseWritten(task.UpdaterArguments(reboot), parsed);
    ASSERT_TRUE(parsed) << "reboot " << reboot;
    EXPECT_EQ(options.programName, u"我的 游戏");
    EXPECT_EQ(options.version, u"1.0.12");
    EXPECT_EQ(options.versionKey, u"1012");
    EXPECT_EQ(options.programDir, dir.WPath() + u"/我的 游戏");
    EXPECT_EQ(options.downloadDir, task.DownloadDir);
    EXPECT_EQ(options.serverUrl, task.PackageUrl);
    EXPECT_EQ(options.restart, reboot);
  }
}

}  // namespace
