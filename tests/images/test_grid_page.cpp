#include <gtest/gtest.h>

#include <numeric>

#include "images/grid_page.h"

namespace tessil {
namespace {

constexpr int kRows = 16, kCols = 10;

std::vector<std::uint16_t> Counting(std::size_t n) {
  std::vector<std::uint16_t> words(n);
  std::iota(words.begin(), words.end(), 0);
  return words;
}

// Each case: image length, reported count, position; expected first-row
// label, the row (1-based) of the last label, and the words shown in that row.
struct PageCase {
  const char* name;
  std::size_t length;
  std::uint32_t count;
  int position;
  const char* firstLabel;
  int lastRow;
  const char* lastLabel;
  int wordsInLastRow;
};

class GridPage : public testing::TestWithParam<PageCase> {};

TEST_P(GridPage, LabelsWordsAndEmptyRows) {
  const PageCase& c = GetParam();
  const auto words = Counting(c.length);
  const PageCells page = FormatPage(c.position, words, c.count, kRows, kCols);
  ASSERT_EQ(page.rows, 15);
  ASSERT_EQ(page.columns, 10);
  EXPECT_EQ(page.at(0, 0), c.firstLabel);
  EXPECT_EQ(page.at(c.lastRow - 1, 0), c.lastLabel);
  int shown = 0;
  for (int col = 1; col <= 8; ++col) shown += !page.at(c.lastRow - 1, col).empty();
  EXPECT_EQ(shown, c.wordsInLastRow);
  EXPECT_EQ(page.at(c.lastRow - 1, 9).size(), 2u * c.wordsInLastRow);
  for (int r = c.lastRow; r < page.rows; ++r) {
    for (int col = 0; col < page.columns; ++col) EXPECT_EQ(page.at(r, col), "") << "row " << r + 1;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, GridPage,
    testing::Values(
        PageCase{"FirstPage", 8192, 8192, 0, "0x00000", 15, "0x000E0", 8},
        PageCase{"SecondPage", 8192, 8192, 1, "0x00080", 15, "0x00160", 8},
        PageCase{"LastPage", 8192, 8192, 127, "0x03F80", 8, "0x03FF0", 8},
        PageCase{"HundredWords", 100, 100, 0, "0x00000", 13, "0x000C0", 4},
        // A count larger than the array: only the array's words exist.
        PageCase{"CountBeyondArray", 100, 0xFFFFFFFFu, 0, "0x00000", 13, "0x000C0", 4},
        PageCase{"CountBelowArray", 8192, 12, 0, "0x00000", 2, "0x00010", 4},
        PageCase{"AddressesPastFiveDigits", 1u << 20, 1u << 20, 16383, "0x1FFF80", 8, "0x1FFFF0",
                 8}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GridPage, WordsAreLowByteFirstAndCharactersPrintableOnly) {
  const std::vector<std::uint16_t> words = {0x6948, 0x0A21, 0x7E20, 0x807F, 0xFFA0};
  const PageCells page = FormatPage(0, words, 5, kRows, kCols);
  EXPECT_EQ(page.at(0, 1), "6948");
  EXPECT_EQ(page.at(0, 2), "0A21");
  EXPECT_EQ(page.at(0, 9), "Hi!. ~....");
  EXPECT_EQ(page.at(0, 6), "");
}

TEST(GridPage, NoCountOrNoArrayGivesAnEmptyPage) {
  const auto words = Counting(64);
  for (const PageCells& page : {FormatPage(0, words, 0, kRows, kCols),
                                FormatPage(0, {}, 64, kRows, kCols)}) {
    for (const auto& cell : page.cells) EXPECT_EQ(cell, "");
  }
}

TEST(GridPage, WordsPastTheLastPageWhenTheRemainderExceedsFiftySix) {
  // 64 * 3 + 60 words: the last position is 2, whose page ends at word 247.
  const auto words = Counting(252);
  EXPECT_EQ(ScrollMaximumFor(252), 2);
  const PageCells page = FormatPage(2, words, 252, kRows, kCols);
  EXPECT_EQ(page.at(14, 8), "00F7");
}

TEST(GridPage, ScrollMaximum) {
  const std::pair<std::uint32_t, int> cases[] = {
      {16384, 255}, {16400, 255}, {64, 0}, {63, 0}, {0, 0}, {0xFFFFFFFFu, 67108862}};
  for (auto [count, maximum] : cases) EXPECT_EQ(ScrollMaximumFor(count), maximum) << count;
}

}  // namespace
}  // namespace tessil
