// The shown image: grid page, checksum and ID panel, display selector, ID edit.
#include <algorithm>
#include <span>

#include "images/grid_page.h"
#include "images/hex_text.h"
#include "operations/commands.h"
#include "operations/polling_pause.h"

namespace tessil {

namespace {
constexpr std::size_t kIdDigits = 2 * TESSIL_ID_BYTES;

// Kind of an index of the selector, for the commands that act only on 0 or 1.
bool IsImageKind(int index) { return index == kFileImage || index == kChipImage; }
}  // namespace

void Commands::ScrollBar1Change() {
  // With no plug-in bound there is no count to page by, and with no image
  // there is nothing to show: the grid keeps what it shows.
  if (!s_.plugin.Accepted() || s_.images.DisplayedImage == nullptr) return;
  std::uint32_t count = 0;
  s_.plugin.GetMemorySize(&count, s_.images.DisplayedKind());
  const PageCells page = FormatPage(v_.ScrollPosition(), *s_.images.DisplayedImage, count,
                                    v_.GridRowCount(), v_.GridColCount());
  for (int r = 0; r < page.rows; ++r) {
    for (int c = 0; c < page.columns; ++c) v_.SetGridCell(c, r + 1, page.at(r, c));
  }
}

void Commands::RefreshChecksum(ImageKind kind) {
  std::uint16_t checksum = 0;
  s_.plugin.ComputeGeneralChecksum(&checksum, kind);
  v_.SetChecksumText("0x" + HexUpper(checksum, 4));
}

void Commands::RefreshChecksumAndId(ImageKind kind) {
  RefreshChecksum(kind);
  v_.SetIdText("");
  for (std::uint8_t i = 0; i < TESSIL_ID_BYTES; ++i) {
    std::uint8_t value = 0;
    s_.plugin.GetIDValue(&value, i, kind);
    v_.SetIdText(v_.IdText() + HexUpper(value, 2));
  }
  v_.SetIdTmpText(v_.IdText());
}

void Commands::DisplayComboChange() {
  PollingPause pause(*this);
  const int index = v_.SelectorIndex();
  const bool wantFile = index == kFileImage;
  const auto& wanted = wantFile ? s_.images.FileImage : s_.images.ChipImage;
  if (wanted && s_.plugin.Accepted()) {
    s_.images.DisplayedImage = wanted.get();
    RefreshChecksumAndId(wantFile ? kFileImage : kChipImage);
  } else if (!wanted) {
    v_.SetSelectorIndex(wantFile ? kChipImage : kFileImage);
  } else {
    // No plug-in to ask for the checksum and ID: the shown image stays.
    v_.SetSelectorIndex(s_.images.DisplayedKind());
  }
  ScrollBar1Change();
}

void Commands::IDEditChange() {
  if (!v_.IsIdModified()) return;
  const std::string id = v_.IdText();
  const bool accepted = id.size() >= kIdDigits &&
                        std::all_of(id.begin(), id.begin() + kIdDigits, IsHexDigit);
  if (!accepted) {
    v_.SetIdText(v_.IdTmpText());
    return;
  }
  for (std::size_t p = 0; p < kIdDigits; p += 2) {
    const int kind = v_.SelectorIndex();
    if (!IsImageKind(kind) || !s_.plugin.Accepted()) continue;
    s_.plugin.SetIDValue(static_cast<std::uint8_t>(p / 2), HexPairValue(id[p], id[p + 1]), kind);
    RefreshChecksum(static_cast<ImageKind>(kind));
  }
  v_.SetIdTmpText(id);
}

}  // namespace tessil
