// The program's copies of the device's program memory: the file image, the
// chip image and the one that is shown.
#pragma once

#include <cstdint>
#include <memory>
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

}  // namespace tessil
