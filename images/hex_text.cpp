#include "images/hex_text.h"

#include <algorithm>

namespace tessil {

bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

std::uint8_t HexPairValue(char high, char low) {
  return static_cast<std::uint8_t>(16 * HexDigitValue(high) + HexDigitValue(low));
}

std::string HexUpper(std::uint32_t value, int digits) {
  // Called for every cell of every grid page: no formatted output here.
  int length = 1;
  while (length < 8 && (value >> (4 * length)) != 0) ++length;
  length = std::max(length, digits);
  std::string text(static_cast<std::size_t>(length), '0');
  for (int i = length - 1; i >= 0 && value != 0; --i, value >>= 4) {
    text[static_cast<std::size_t>(i)] = "0123456789ABCDEF"[value & 0xF];
  }
  return text;
}

}  // namespace tessil
