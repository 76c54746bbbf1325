// The program's copies of the device's program memory: the file image, the
// chip image and the one that is shown.
#pragma once

#include <tessil/plugin.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

namespace tessil {

class PluginHost;

// The image kinds the plug-in's image entry points take; equal to the
// display selector's index.
enum ImageKind : std::int32_t { kFileImage = 0, kChipImage = 1 };

// Word i holds the device bytes 2i (low) and 2i+1 (high). The vector's size
// is the count the plug-in reported when the array was made; every use of an
// array is bounded by it, whatever the plug-in reports later.
using WordArray = std::vector<std::uint16_t>;

struct MemoryImages {
  std::unique_ptr<WordArray> FileImage;
  std::unique_ptr<WordArray> ChipImage;
  const WordArray* DisplayedImage = nullptr;  // null, FileImage or ChipImage

  bool AnyPresent() const { return FileImage || ChipImage; }
  // The kind whose count describes the shown array: 1 exactly when it is the chip image.
  ImageKind DisplayedKind() const {
    return DisplayedImage != nullptr && DisplayedImage == ChipImage.get() ? kChipImage : kFileImage;
  }
  void Release() {
    DisplayedImage = nullptr;
    ChipImage.reset();
    FileImage.reset();
  }
};

// The largest image the program takes from a plug-in: the PIC18's 21-bit
// program address space, 2 MiB. Buffers handed to the plug-in are never
// smaller than this, so a plug-in that reports different counts for its two
// kinds, or a count that no longer matches an array, still stays inside them.
inline constexpr std::uint32_t kMaxImageWords = TESSIL_MAX_IMAGE_WORDS;

// Raised when a plug-in reports an image larger than kMaxImageWords.
class ImageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

enum class ImageSlot { File, Chip };

// The one way an array is made: the count of sizeKind, the slot's old array
// freed, a new one of that count filled from sourceKind, and shown. A count
// above kMaxImageWords raises ImageError before anything is freed.
void ReplaceImage(MemoryImages& images, ImageSlot slot, ImageKind sizeKind, ImageKind sourceKind,
                  PluginHost& plugin);
// The same with a count already asked for.
void ReplaceImageWithCount(MemoryImages& images, ImageSlot slot, std::uint32_t count,
                           ImageKind sourceKind, PluginHost& plugin);

// Hands the shown array to the plug-in as its image of `kind`. The plug-in
// reads its own count of words: past the array's end it reads erased words.
void CopyDisplayedToPlugin(const MemoryImages& images, ImageKind kind, PluginHost& plugin);

}  // namespace tessil
