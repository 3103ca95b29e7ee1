// A publication that fails part of the way (here on a full disk) leaves the announced version
// as it was and no version folder that could be announced or fetched.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "tests/support/FileSizeLimit.h"
#include "tests/support/TempDir.h"
#include "tests/tools/PublishRun.h"

namespace fs = std::filesystem;
using testsupport::ReadFileBytes;
using testsupport::WriteFileBytes;

namespace {

std::string RandomBytes(size_t size) {
  std::mt19937 random(21);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random());
  return bytes;
}

TEST(PublishFailureTest, PublicationThatFailsHalfWayChangesNothingClientsSee) {
  testsupport::TempDir dir;
  ASSERT_TRUE(WriteFileBytes(dir.Join("prog/Game"), "game"));
  const std::vector<std::string> args{"--name", "Game", "--program", dir.Join("prog"), "--root", dir.Join("srv")};
  auto publish = [&](const std::string& version) {
    std::vector<std::string> all = args;
    all.insert(all.end(), {"--version", version});
    return publishtest::RunPublisher(all, dir.Path());
  };
  ASSERT_EQ(publish("1.0").exitCode, 0);
  const std::string product = dir.Join("srv/zemba/game");
  const std::string announced = ReadFileBytes(product + "/UpdateVersion.xml");

  // "a" is packed first and fits; "b" does not fit.
  ASSERT_TRUE(WriteFileBytes(dir.Join("prog/a.dat"), RandomBytes(1000)));
  ASSERT_TRUE(WriteFileBytes(dir.Join("prog/b.dat"), RandomBytes(20000)));
  publishtest::RunResult failed;
  {
    testsupport::FileSizeLimit full(8000);
    failed = publish("1.1");
  }
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_NE(failed.err.find("cannot write"), std::string::npos) << failed.err;
  EXPECT_EQ(ReadFileBytes(product + "/UpdateVersion.xml"), announced);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(product)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"10", "UpdateVersion.xml"})) << "no half version folder";
  EXPECT_EQ(publishtest::RunPublisher({"announce", "--name", "Game", "--version", "1.1", "--root", dir.Join("srv")},
                                      dir.Path())
                .exitCode,
            1);

  EXPECT_EQ(publish("1.1").exitCode, 0) << "with room again, the same version publishes";
}

}  // namespace
