// Hexadecimal text as the window shows it.
#pragma once

#include <cstdint>
#include <string>

namespace tessil {

bool IsHexDigit(char c);
// The value 0..15 of a hexadecimal digit ('0'-'9', 'a'-'f', 'A'-'F').
int HexDigitValue(char c);
// Two hexadecimal digits, the high one first, as a byte.
std::uint8_t HexPairValue(char high, char low);
// value in upper-case hexadecimal, zero-padded to at least `digits` digits.
std::string HexUpper(std::uint32_t value, int digits);

}  // namespace tessil
