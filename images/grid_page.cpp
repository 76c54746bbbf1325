#include "images/grid_page.h"

#include <algorithm>

#include "images/hex_text.h"

namespace tessil {

namespace {
char Printable(std::uint8_t byte) { return byte >= 0x20 && byte <= 0x7E ? char(byte) : '.'; }
}  // namespace

PageCells FormatPage(int position, std::span<const std::uint16_t> words, std::uint32_t count,
                     int rowCount, int colCount) {
  PageCells page{std::max(rowCount - 1, 0), std::max(colCount, 0), {}};
  page.cells.resize(std::size_t(page.rows) * page.columns);
  const std::uint64_t n = std::min<std::uint64_t>(count, words.size());
  const int wordColumns = colCount - 2;
  const std::uint64_t first = std::uint64_t(std::max(position, 0)) * kWordsPerScrollStep;
  for (int r = 0; r < page.rows; ++r) {
    const std::uint64_t w = first + std::uint64_t(r) * wordColumns;
    if (w >= n) break;  // past the image: this row and the ones below stay empty
    page.at(r, 0) = "0x" + HexUpper(static_cast<std::uint32_t>(2 * w), 5);
    std::string& chars = page.at(r, colCount - 1);
    chars.reserve(2 * std::size_t(wordColumns));
    for (int c = 1; c <= wordColumns && w + c - 1 < n; ++c) {
      const std::uint16_t word = words[w + c - 1];
      page.at(r, c) = HexUpper(word, 4);
      chars += Printable(word & 0xFF);
      chars += Printable(word >> 8);
    }
  }
  return page;
}

int ScrollMaximumFor(std::uint32_t count) {
  return std::max<std::int64_t>(std::int64_t(count / kWordsPerScrollStep) - 1, 0);
}

}  // namespace tessil
