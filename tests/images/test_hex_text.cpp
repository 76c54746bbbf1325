#include <gtest/gtest.h>

#include "images/hex_text.h"

namespace tessil {
namespace {

TEST(HexText, DigitsAndPairsInEitherCase) {
  const std::string digits = "0123456789abcdefABCDEF";
  const int values[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 10, 11, 12, 13, 14, 15};
  for (std::size_t i = 0; i < digits.size(); ++i) {
    EXPECT_TRUE(IsHexDigit(digits[i]));
    EXPECT_EQ(HexDigitValue(digits[i]), values[i]) << digits[i];
  }
  for (char c : std::string("gGz- /:@`")) EXPECT_FALSE(IsHexDigit(c)) << c;
  EXPECT_EQ(HexPairValue('a', 'b'), 0xAB);
  EXPECT_EQ(HexPairValue('A', 'B'), 0xAB);
  EXPECT_EQ(HexPairValue('0', 'f'), 0x0F);
}

TEST(HexText, UpperCaseZeroPaddedToAtLeastTheWidth) {
  EXPECT_EQ(HexUpper(0x1A, 2), "1A");
  EXPECT_EQ(HexUpper(0xABC, 5), "00ABC");
  EXPECT_EQ(HexUpper(0x123456, 5), "123456");
  EXPECT_EQ(HexUpper(0, 4), "0000");
}

}  // namespace
}  // namespace tessil
