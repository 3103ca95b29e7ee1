// What only Windows does to an install: a file a running program holds open cannot be replaced.
#include <gtest/gtest.h>

#include <filesystem>

#include "contract/UpdaterState.h"
#include "tests/updater/UpdateFixture.h"
#include "updater/InstalledFiles.h"

#include <windows.h>  // last: it defines WM_USER, which the updater's messages also name

namespace updater {
namespace {

using namespace testsupport;
using Safety = testsupport::ServedInstall;

// A running program holds its files open, and Windows lets no name be renamed over such a file:
// the install fails on it without losing it, and the next run completes once it is let go.
TEST_F(Safety, FileHeldOpenByARunningProgramIsKeptAndInstalledByTheNextRun) {
  WriteFileBytes(install.prog + "/a.txt", "old a");
  WriteFileBytes(install.prog + "/b.txt", "old b");
  PublishAndServe({{"", "a.txt", "new a"}, {"", "b.txt", "new b"}});
  const text::WString held16 = text::FromUtf8(install.prog + "/b.txt");
  HANDLE held = CreateFileW(std::wstring(held16.begin(), held16.end()).c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  Worker()->Run();
  CloseHandle(held);
  EXPECT_EQ(Last(), Failed());
  EXPECT_EQ(Installed("b.txt"), "old b");
  EXPECT_TRUE(TemporariesBelow(install.prog).empty());
  RecordingWindow second;
  auto worker = Worker();
  worker->SetOwner(&second);
  worker->Run();
  EXPECT_EQ(second.Messages().back(), Done());
  EXPECT_EQ(Installed("a.txt"), "new a");
  EXPECT_EQ(Installed("b.txt"), "new b");
}

// A file the new release drops may be held open by the running game: the update still ends,
// the file stays, and the next update removes it once it is let go.
TEST_F(Safety, RetiredFileHeldOpenIsRemovedByTheNextUpdate) {
  Publish("/game", "101", {{"", "game.exe", "game 1"}, {"data", "old.pak", "old pak"}}).ServeOn(server);
  auto first = install.Worker(server.BaseUrl() + "/game", u"1.0.1");
  first->Run();
  ASSERT_EQ(first->Outcome(), contract::UpdaterExit::kInstalled);
  PublishAndServe({{"", "game.exe", "game 2"}});
  const text::WString held16 = text::FromUtf8(install.prog + "/data/old.pak");
  HANDLE held = CreateFileW(std::wstring(held16.begin(), held16.end()).c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  auto second = Worker();
  second->Run();
  CloseHandle(held);
  ASSERT_EQ(second->Outcome(), contract::UpdaterExit::kInstalled);
  EXPECT_EQ(Installed("data/old.pak"), "old pak");
  const auto record = ReadInstalledFiles(text::FromUtf8(install.state), text::FromUtf8(install.prog));
  ASSERT_TRUE(record);
  EXPECT_EQ(record->size(), 2u) << "the record still names the file it could not remove";
  auto third = Worker();
  third->Run();
  EXPECT_EQ(third->Outcome(), contract::UpdaterExit::kNothingToDo);
  EXPECT_FALSE(std::filesystem::exists(install.prog + "/data/old.pak")) << "removed once let go";
  EXPECT_EQ(ReadInstalledFiles(text::FromUtf8(install.state), text::FromUtf8(install.prog))->size(), 1u);
}

}  // namespace
}  // namespace updater
