// INHX32 parsing and writing, and the checksum.
#include "plugins/pic18sim/core/intel_hex.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

namespace pic18sim {
namespace {

using ::testing::HasSubstr;

const Device& F452() {
  return *FindDevice("PIC18F452");
}
const Device& F4620() {
  return *FindDevice("PIC18F4620");
}

Image RandomImage(const Device& device, unsigned seed) {
  std::mt19937 random(seed);
  auto byte = [&] { return static_cast<std::uint8_t>(random()); };
  Image image = ErasedImage(device);
  // Some rows stay erased, so the writer's skipping is exercised too.
  for (std::size_t i = 0; i < image.program.size(); ++i)
    image.program[i] = (i / 16) % 3 ? byte() : 0xFF;
  for (auto& b : image.eeprom) b = byte();
  for (auto& b : image.id) b = byte();
  for (std::size_t i = 0; i < kConfigBytes; ++i) image.config[i] = byte() & device.config[i].mask;
  return image;
}

TEST(Checksum, WorkedExamplesOfTheProgrammingSpecification) {
  Image image = ErasedImage(F452());
  // 32768 * 0xFF = 0x7F8000 -> 0x8000, plus the erased configuration under its masks, 0x2D8.
  EXPECT_EQ(Checksum(image, F452()), 0x82D8);
  image.program.front() = 0xAA;
  image.program.back() = 0xAA;
  EXPECT_EQ(Checksum(image, F452()), 0x822E);
  // Bits outside the masks, the ID and the EEPROM do not count.
  image.config[0] = 0xFF;
  image.config[1] |= 0xD8;
  image.id.fill(0x12);
  image.eeprom.assign(image.eeprom.size(), 0x34);
  EXPECT_EQ(Checksum(image, F452()), 0x822E);
  EXPECT_EQ(Checksum(ErasedImage(*FindDevice("PIC18F4520")), *FindDevice("PIC18F4520")), 0x835A);
  // DS39583's table for the PIC18F6720: 0x05A8 erased, 0x04FE with 0xAA at both ends.
  const Device& f6720 = *FindDevice("PIC18F6720");
  Image big = ErasedImage(f6720);
  EXPECT_EQ(Checksum(big, f6720), 0x05A8);
  big.program.front() = big.program.back() = 0xAA;
  EXPECT_EQ(Checksum(big, f6720), 0x04FE);
}

TEST(IntelHex, ReadsWhatItWritesForEveryPart) {
  for (const Device& d : Devices()) {
    SCOPED_TRACE(d.name);
    Image image = RandomImage(d, 7);
    HexResult back = ParseHex(FormatHex(image, d), d);
    ASSERT_TRUE(back.ok()) << back.error;
    EXPECT_EQ(back.image, image);
    EXPECT_FALSE(back.device_id);
  }
}

TEST(IntelHex, WritesErasedRowsNotAtAll) {
  // An erased part gives the extended address, its implemented configuration bytes, the end.
  EXPECT_EQ(FormatHex(ErasedImage(F452()), F452()),
            ":020000040030CA\n"
            ":03000100270F0FB7\n"
            ":02000500018573\n"
            ":060008000FC00FE00F40E5\n"
            ":00000001FF\n");
}

TEST(IntelHex, WritesRecordsInTheOrderProgramEepromIdConfiguration) {
  Image image = ErasedImage(F4620());
  image.program[0xFFF0] = 0x12;
  image.eeprom[0x3F0] = 0x34;
  image.id[7] = 0x56;
  std::string text = FormatHex(image, F4620(), 0x0C01);
  EXPECT_TRUE(
      text.starts_with(":020000040000FA\n"
                       ":10FFF00012FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFE\n"))
      << text;
  auto at = [&](std::string_view s) { return text.find(s); };
  EXPECT_LT(at(":020000040000FA"), at(":0200000400F00A"));
  EXPECT_LT(at(":0200000400F00A"), at(":020000040020DA"));
  EXPECT_LT(at(":020000040020DA"), at(":020000040030CA"));
  EXPECT_LT(at(":020000040030CA"), at(":02000004003FBB"));
  EXPECT_NE(at(":02FFFE00010CF4"), std::string::npos);  // the device ID, only when asked for
}

TEST(IntelHex, AcceptsTheFormsRealFilesTake) {
  struct Case {
    const char* what;
    const char* text;
    std::uint32_t address;  // program memory byte to look at
    std::uint8_t value;
  };
  const Case cases[] = {
      {"lower-case digits", ":02001000abcd76\n:00000001ff\n", 0x11, 0xCD},
      {"CRLF line ends", ":020010001234A8\r\n:00000001FF\r\n", 0x10, 0x12},
      {"no newline at the end", ":020010001234A8\n:00000001FF", 0x11, 0x34},
      {"empty lines", "\n:020010001234A8\n\n:00000001FF\n\n", 0x10, 0x12},
      {"extended segment address", ":020000020100FB\n:020010001234A8\n:00000001FF\n", 0x1010, 0x12},
      {"start addresses ignored",
       ":0400000300000000F9\n:0400000500000000F7\n:020010001234A8\n:00000001FF\n", 0x10, 0x12},
      {"text after the end ignored", ":020010001234A8\n:00000001FF\ngarbage\n", 0x11, 0x34},
      {"later data wins", ":020010001234A8\n:01001000AB44\n:00000001FF\n", 0x10, 0xAB},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    HexResult r = ParseHex(c.text, F452());
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.image.program[c.address], c.value);
  }
}

TEST(IntelHex, BytesNotGivenAreErased) {
  HexResult r = ParseHex(":020000040030CA\n:0100010022DC\n:00000001FF\n", F452());
  ASSERT_TRUE(r.ok()) << r.error;
  Image expected = ErasedImage(F452());
  expected.config[1] = 0x22;
  EXPECT_EQ(r.image, expected);
}

TEST(IntelHex, ErrorsNameTheLineAndTheReason) {
  EXPECT_THAT(ParseHex(":020010001234A8\n:020010001234A9\n:00000001FF\n", F452()).error,
              "line 2: bad checksum");
  EXPECT_THAT(ParseHex(":020000040001F9\n:0100000000FF\n:00000001FF\n", F452()).error,
              "line 2: address 0x010000 is outside the PIC18F452's memory");
  EXPECT_THAT(ParseHex(":02800000FFFF80\n", F452()).error, HasSubstr("0x008000 is outside"));
  EXPECT_THAT(ParseHex(":020010001234A8\n", F452()).error, "no end record (type 01)");
}

TEST(IntelHex, TakesTheDeviceIdOnlyWhenAskedTo) {
  const char* text = ":02000004003FBB\n:02FFFE0081047C\n:00000001FF\n";
  EXPECT_FALSE(ParseHex(text, F452()).ok());
  HexResult r = ParseHex(text, F452(), true);
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(r.device_id, 0x0481);
}

TEST(IntelHex, ReadingAFileThatIsNotThereOrNotAFile) {
  EXPECT_THAT(ReadHexFile("/nonexistent/x.hex", F452()).error, HasSubstr("/nonexistent/x.hex"));
  EXPECT_FALSE(ReadHexFile("/", F452()).ok());
  EXPECT_FALSE(ReadHexFile("/dev/zero", F452()).ok());
}

}  // namespace
}  // namespace pic18sim
