// The Windows backend against the real services: the named mutex and the registry profile.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/InstanceLock.h"
#include "platform/ProfileStore.h"
#include "platform/win32/CommandLine.h"
#include "platform/win32/Wide.h"

namespace {

std::string UniqueName(const char* what) {
  return std::string(what) + "_" + std::to_string(GetCurrentProcessId());
}

TEST(NamedMutexLock, OneHolderAndProbesThatNeverTakeIt) {
  const std::string name = platform::InstanceLockName(UniqueName("Win32Test"), "Test");
  EXPECT_FALSE(platform::InstanceLock::IsTaken(name));
  platform::InstanceLock first;
  ASSERT_TRUE(first.Acquire(name));
  EXPECT_TRUE(platform::InstanceLock::IsTaken(name));
  platform::InstanceLock second;
  EXPECT_FALSE(second.Acquire(name));
  first.Release();
  EXPECT_FALSE(platform::InstanceLock::IsTaken(name));
  EXPECT_TRUE(second.Acquire(name));
}

// A game gets each value as its own argument, whatever blanks, quotes or backslashes it holds.
TEST(CommandLineQuoting, TheSystemsParserGivesBackEveryArgument) {
  const std::vector<std::string> argv{"G.exe", "", "a b", "say \"hi\"", "C:\\dir with space\\",
                                      "back\\\\slash", "\xE8\xB1\xA1\xE6\xA3\x8B", "-key"};
  std::wstring line = platform::detail::JoinCommandLine(argv);
  int count = 0;
  LPWSTR* parsed = CommandLineToArgvW(line.c_str(), &count);
  ASSERT_NE(parsed, nullptr);
  std::vector<std::string> back;
  for (int i = 0; i < count; ++i) back.push_back(platform::detail::Utf8(parsed[i]));
  LocalFree(parsed);
  EXPECT_EQ(back, argv);
}

// Deletes the test's registry key whatever the test did.
class RegistryProfile : public ::testing::Test {
 protected:
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, WideKey().c_str()); }
  std::wstring WideKey() const { return std::wstring(path_.begin(), path_.end()); }

  std::string path_ = platform::ProfileStore::PathFor("Zemba", UniqueName("ProfileTest"));
};

TEST_F(RegistryProfile, ValuesLiveUnderTheZembaKeyWithTheirRegistryTypes) {
  ASSERT_EQ(path_, "Software\\Zemba\\" + UniqueName("ProfileTest"));
  platform::ProfileStore store(path_, "LoginData");
  EXPECT_EQ(store.Load(), platform::ProfileStore::FileState::kMissing);
  store.SetDword("LoginMode", 2);
  store.SetString("UserName", "\xE5\xBC\xA0\xE4\xB8\x89");  // 张三
  store.SetBinary("UserTag", std::string("\x01\x00\xFF\x10\x20\x30", 6));
  ASSERT_TRUE(store.Save());

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, (WideKey() + L"\\LoginData").c_str(), 0, KEY_READ, &key),
            ERROR_SUCCESS);
  DWORD type = 0;
  BYTE data[16];
  DWORD size = sizeof data;
  EXPECT_EQ(RegQueryValueExW(key, L"UserTag", nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), size), std::string("\x01\x00\xFF\x10\x20\x30", 6));
  size = sizeof data;
  EXPECT_EQ(RegQueryValueExW(key, L"LoginMode", nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  size = sizeof data;
  EXPECT_EQ(RegQueryValueExW(key, L"UserName", nullptr, &type, data, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  RegCloseKey(key);

  platform::ProfileStore again(path_, "LoginData");
  EXPECT_EQ(again.Load(), platform::ProfileStore::FileState::kLoaded);
  EXPECT_EQ(again.GetDword("LoginMode"), 2u);
  EXPECT_EQ(again.GetString("UserName"), "\xE5\xBC\xA0\xE4\xB8\x89");
  EXPECT_EQ(again.GetBinary("UserTag"), std::string("\x01\x00\xFF\x10\x20\x30", 6));
  EXPECT_FALSE(again.GetDword("UserName"));  // a value of another type reads as absent
}

}  // namespace
