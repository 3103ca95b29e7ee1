#include "updater/Crc32.h"

#include <gtest/gtest.h>


using updater::Crc32;
using updater::CrcText;

TEST(Crc32, OfAbcIsTheStandardCheckValue) {
  EXPECT_EQ(Crc32("abc", 3), 0x352441C2u);
  EXPECT_EQ(CrcText(Crc32("abc", 3)), u"352441C2");
}

TEST(Crc32, OfTheNineDigitCheckStringIsCbf43926) {
  EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);
}

TEST(Crc32, OfAnEmptyRangeIsZeroWrittenAsZero) {
  EXPECT_EQ(Crc32("", 0), 0u);
  EXPECT_EQ(Crc32(nullptr, 0), 0u);
  EXPECT_EQ(CrcText(0), u"0");
}

TEST(Crc32, TextIsUpperCaseWithoutLeadingZeros) {
  EXPECT_EQ(CrcText(0x0000ABCDu), u"ABCD");
  EXPECT_EQ(CrcText(0xFFFFFFFFu), u"FFFFFFFF");
}

