// Choosing the machine tag and its CRC-32 guard.
#include <gtest/gtest.h>

#include "lobby/config/UserTag.h"

namespace {

using lobby::PickUserTag;
using lobby::UserTagBytes;


TEST(UserTagTest, FirstNonZeroAddressWins) {
  std::vector<platform::MacAddress> macs{{0, 0, 0, 0, 0, 0}, {2, 0, 0, 0, 0, 9}, {3, 3, 3, 3, 3, 3}};
  EXPECT_EQ(PickUserTag(macs, [] { return uint8_t{0xEE}; }), (UserTagBytes{2, 0, 0, 0, 0, 9}));
}

TEST(UserTagTest, OnlyZeroAddressesGiveRandomBytesInOrder) {
  std::vector<platform::MacAddress> macs{{0, 0, 0, 0, 0, 0}};
  uint8_t n = 10;
  EXPECT_EQ(PickUserTag(macs, [&n] { return n++; }), (UserTagBytes{10, 11, 12, 13, 14, 15}));
}

TEST(UserTagTest, NoAdapterGivesRandomBytes) {
  uint8_t n = 200;
  EXPECT_EQ(PickUserTag({}, [&n] { return n++; }), (UserTagBytes{200, 201, 202, 203, 204, 205}));
}

TEST(UserTagTest, CrcIsTheZipCrc32) {
  EXPECT_EQ(lobby::UserTagCrc({1, 2, 3, 4, 5, 6}), 2180413220u);
  EXPECT_EQ(lobby::UserTagCrc({0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}), 148133872u);
}

}  // namespace
