// One page of the hex grid: the pure formatting behind the grid refresh.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tessil {

// A scroll step moves the page by this many words (8 rows of 8 words).
inline constexpr std::uint32_t kWordsPerScrollStep = 64;

// The texts of the data rows 1 .. rowCount-1, each with colCount cells: the
// byte address, the words (columns 1 .. colCount-2) and their characters
// (the last column). Page position p starts at word p * 64. A word exists
// when its index is below both the reported count and the array's length, so
// a count that exceeds the array never reads past it.
struct PageCells {
  int rows = 0;     // data rows: the grid's rows but the fixed one
  int columns = 0;  // all the grid's columns
  std::vector<std::string> cells;  // row by row

  // The text of data row r (0 = grid row 1) in column c.
  const std::string& at(int r, int c) const { return cells[std::size_t(r) * columns + c]; }
  std::string& at(int r, int c) { return cells[std::size_t(r) * columns + c]; }
};
PageCells FormatPage(int position, std::span<const std::uint16_t> words, std::uint32_t count,
                     int rowCount, int colCount);

// The scroll bar's maximum for an image of `count` words: the last position
// whose page starts inside the image. Images shorter than one step keep
// position 0, where the whole image is on the page.
int ScrollMaximumFor(std::uint32_t count);

}  // namespace tessil
