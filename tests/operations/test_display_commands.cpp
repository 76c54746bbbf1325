// The display selector, the ID field and the grid refresh over the recording plug-in.
#include "images/memory_images.h"
#include "tests/operations/commands_fixture.h"

namespace tessil {
namespace {

using testing_support::Cat;
using testing_support::ChecksumAndId;
using testing_support::CommandsTest;
using testing_support::Log;

// The sixteen calls one accepted ID text makes: each byte, then the checksum.
Log IdWrites(const std::vector<int>& bytes, int kind) {
  Log log;
  const std::string k = std::to_string(kind);
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    log.push_back("_SetIDValue(" + std::to_string(i) + "," + std::to_string(bytes[i]) + "," + k + ")");
    log.push_back("_ComputeGeneralChecksum(" + k + ")");
  }
  return log;
}
const std::vector<int> kTyped = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};

TEST_F(CommandsTest, AnAcceptedIdIsWrittenByteByByteAndOnceMoreByTheHiddenBox) {
  LoadFile();
  for (const std::string typed : {"0123456789ABCDEF", "0123456789abcdef"}) {
    view.TypeId(typed);
    // IDEdit_tmp's own change event runs the edit a second time.
    EXPECT_EQ(plugin.TakeLog(), Cat({IdWrites(kTyped, 0), IdWrites(kTyped, 0)})) << typed;
    EXPECT_EQ(view.idText, typed);  // lower case stays as typed
    EXPECT_EQ(view.idTmpText, typed);
  }
}

TEST_F(CommandsTest, ARefusedIdBringsTheLastAcceptedTextBack) {
  LoadFile();
  view.TypeId("0123456789ABCDEF");
  plugin.TakeLog();
  for (const std::string typed : {"0123456789ABCDE", "0123456789ABCDEg", "0123 56789ABCDEF",
                                  "-123456789ABCDEF", ""}) {
    view.TypeId(typed);
    EXPECT_EQ(view.idText, "0123456789ABCDEF") << typed;
    EXPECT_FALSE(view.idModified);
    EXPECT_TRUE(plugin.TakeLog().empty()) << typed;
  }
}

TEST_F(CommandsTest, WithNoEntrySelectedTheIdIsRememberedButNotWritten) {
  view.TypeId("0011223344556677");
  EXPECT_TRUE(plugin.TakeLog().empty());
  EXPECT_EQ(view.idTmpText, "0011223344556677");
  EXPECT_EQ(view.checksumText, "0x0000");
}

TEST_F(CommandsTest, TheProgramsOwnIdChangesWriteNothing) {
  LoadFile();
  plugin.id[1] = {0xDE, 0xAD, 0xBE, 0xEF, 0, 1, 2, 3};
  plugin.checksum[1] = 0xBEEF;
  ReadChip();
  EXPECT_EQ(view.idText, "DEADBEEF00010203");
  EXPECT_EQ(view.idTmpText, "DEADBEEF00010203");
  EXPECT_EQ(view.checksumText, "0xBEEF");
}

TEST_F(CommandsTest, SwitchingToAPresentImageShowsItAtTheSamePage) {
  plugin.size = {8192, 8192};
  plugin.image[0] = std::vector<std::uint16_t>(8192, 0x1111);
  plugin.image[1] = std::vector<std::uint16_t>(8192, 0x2222);
  plugin.checksum = {0xF11E, 0xC41F};
  LoadFile();
  ReadChip();
  view.SetScrollPosition(3);
  plugin.TakeLog();

  view.selector = 0;
  commands.DisplayComboChange();
  EXPECT_EQ(plugin.TakeLog(), Cat({ChecksumAndId(0), {"_GetMemorySize(0)"}}));
  EXPECT_EQ(session.images.DisplayedImage, session.images.FileImage.get());
  EXPECT_EQ(view.checksumText, "0xF11E");
  EXPECT_EQ(view.scrollPosition, 3);
  EXPECT_EQ(view.grid[1][0], "0x00180");
  EXPECT_EQ(view.grid[1][1], "1111");

  view.selector = -1;  // typed text that is no entry: the chip image
  commands.DisplayComboChange();
  EXPECT_EQ(session.images.DisplayedImage, session.images.ChipImage.get());
  EXPECT_EQ(view.grid[1][1], "2222");
  EXPECT_EQ(view.checksumText, "0xC41F");
  EXPECT_TRUE(view.timerEnabled[Timer::Polling]);
}

TEST_F(CommandsTest, SwitchingToAnAbsentImageMovesTheSelectorBackAndRedraws) {
  struct Case {
    bool loadFirst;
    int chosen;
    int selectorAfter;
    const char* refresh;
  } cases[] = {{true, 1, 0, "_GetMemorySize(0)"}, {false, 0, 1, "_GetMemorySize(1)"}};
  for (const Case& c : cases) {
    SetUp();
    if (c.loadFirst) LoadFile(); else ReadChip();
    view.checksumText = "0x1234";
    const auto* shown = session.images.DisplayedImage;
    view.selector = c.chosen;
    commands.DisplayComboChange();
    EXPECT_EQ(view.selector, c.selectorAfter);
    EXPECT_EQ(session.images.DisplayedImage, shown);
    EXPECT_EQ(plugin.TakeLog(), Log{c.refresh});
    EXPECT_EQ(view.checksumText, "0x1234");
    session.images.Release();
  }
}

// A plug-in whose counts do not match the arrays: larger, zero, 2^32 - 1,
// and two kinds of different sizes. Under AddressSanitizer any read or write
// past an array fails the test.
TEST_F(CommandsTest, CountsThatDoNotMatchTheArraysStayInsideThem) {
  plugin.size = {100, 100};
  LoadFile();
  for (std::uint32_t hostile : {1000u, 0u, 0xFFFFFFFFu}) {
    plugin.size[0] = hostile;
    commands.ScrollBar1Change();
    view.saveAnswers.push_back("/tmp/out.hex");
    if (hostile <= kMaxImageWords) commands.SB_saveClick();
  }
  EXPECT_EQ(view.grid[13][0], "0x000C0");  // the array's 100 words, no more
  EXPECT_EQ(view.grid[14][0], "");

  // The after-program copy: sized by the chip image, filled from a larger file image.
  plugin.size = {5000, 50};
  commands.SB_uploadClick();
  ASSERT_TRUE(session.images.ChipImage);
  EXPECT_EQ(session.images.ChipImage->size(), 50u);

  // A count no array can take is refused before the old image goes.
  plugin.size = {0xFFFFFFFFu, 0xFFFFFFFFu};
  view.selector = 1;
  EXPECT_THROW(commands.SB_downloadClick(), ImageError);
  EXPECT_EQ(session.images.ChipImage->size(), 50u);
  EXPECT_TRUE(view.timerEnabled[Timer::Polling]);

  // An empty image: nothing to show, nothing read.
  plugin.size = {0, 0};
  commands.SB_downloadClick();
  EXPECT_EQ(session.images.ChipImage->size(), 0u);
  EXPECT_EQ(view.scrollMaximum, 0);
  EXPECT_EQ(view.grid[1][0], "");
}

TEST_F(CommandsTest, NoPluginBoundTheGridAndTheSelectorStayAsTheyAre) {
  LoadFile();
  ReadChip();
  const auto grid = view.grid;
  commands.LoadPlugin("unloadable");
  plugin.TakeLog();
  view.SetScrollPosition(1);
  view.selector = 0;
  commands.DisplayComboChange();
  view.TypeId("FFFFFFFFFFFFFFFF");
  EXPECT_EQ(view.grid, grid);
  EXPECT_EQ(view.selector, 1);
  EXPECT_EQ(session.images.DisplayedImage, session.images.ChipImage.get());
  EXPECT_TRUE(plugin.TakeLog().empty());
}

}  // namespace
}  // namespace tessil
