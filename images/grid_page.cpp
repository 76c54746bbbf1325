#include "images/grid_page.h"

#include <algorithm>

#include "images/hex_text.h"

namespace tessil {

namespace {
char Printable(std::uint8_t byte) { return byte >= 0x20 && byte <= 0x7E ? char(byte) : '.'; }
}  // namespace

PageCells FormatPage(int position, std::span<const std::uint16_t> words, std::uint32_t count,
                     int rowCount, int colCount) {
  const std::uint64_t n = std::min<std::uint64_t>(count, words.size());
  const int wordColumns = colCount - 2;
  const std::uint64_t first = std::uint64_t(std::max(position, 0)) * kWordsPerScrollStep;
  PageCells rows(std::max(rowCount - 1, 0), std::vector<std::string>(std::max(colCount, 0)));
  for (std::size_t r = 0; r < rows.size(); ++r) {
    auto& row = rows[r];
    const std::uint64_t w = first + std::uint64_t(r) * wordColumns;
    if (w >= n) continue;  // past the image: the whole row stays empty
    row[0] = "0x" + HexUpper(static_cast<std::uint32_t>(2 * w), 5);
    std::string& chars = row[colCount - 1];
    for (int c = 1; c <= wordColumns && w + c - 1 < n; ++c) {
      const std::uint16_t word = words[w + c - 1];
      row[c] = HexUpper(word, 4);
      chars += Printable(word & 0xFF);
      chars += Printable(word >> 8);
    }
  }
  return rows;
}

int ScrollMaximumFor(std::uint32_t count) {
  return std::max<std::int64_t>(std::int64_t(count / kWordsPerScrollStep) - 1, 0);
}

}  // namespace tessil
