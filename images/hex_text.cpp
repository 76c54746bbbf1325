#include "images/hex_text.h"

#include <cstdio>

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
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, static_cast<unsigned>(value));
  return text;
}

}  // namespace tessil
