#include <algorithm>
#include <string>

#include "images/memory_images.h"
#include "plugin/plugin_host.h"

namespace tessil {

namespace {
// A buffer the plug-in may fill or read with any count up to kMaxImageWords.
WordArray TransferBuffer(std::size_t words, std::uint16_t fill) {
  return WordArray(std::max<std::size_t>(words, kMaxImageWords), fill);
}
}  // namespace

void ReplaceImage(MemoryImages& images, ImageSlot slot, ImageKind sizeKind, ImageKind sourceKind,
                  PluginHost& plugin) {
  std::uint32_t count = 0;
  plugin.GetMemorySize(&count, sizeKind);
  ReplaceImageWithCount(images, slot, count, sourceKind, plugin);
}

void ReplaceImageWithCount(MemoryImages& images, ImageSlot slot, std::uint32_t count,
                           ImageKind sourceKind, PluginHost& plugin) {
  if (count > kMaxImageWords) {
    throw ImageError("The plug-in reports an image of " + std::to_string(count) +
                     " words; at most " + std::to_string(kMaxImageWords) +
                     " words are supported.\nThe images were left as they were.");
  }
  auto& array = slot == ImageSlot::File ? images.FileImage : images.ChipImage;
  if (images.DisplayedImage == array.get()) images.DisplayedImage = nullptr;
  array.reset();
  // The plug-in fills by its own count of sourceKind, which may differ from
  // `count` (the after-program copy sizes by the chip image and fills from
  // the file image): let it write into a buffer that holds any image, and keep
  // the first `count` words.
  WordArray buffer = TransferBuffer(count, 0xFFFF);
  plugin.GetMemoryBuffer(buffer.data(), sourceKind);
  buffer.resize(count);
  buffer.shrink_to_fit();
  array = std::make_unique<WordArray>(std::move(buffer));
  images.DisplayedImage = array.get();
}

void CopyDisplayedToPlugin(const MemoryImages& images, ImageKind kind, PluginHost& plugin) {
  const WordArray& shown = *images.DisplayedImage;
  WordArray buffer = TransferBuffer(shown.size(), 0xFFFF);
  std::copy(shown.begin(), shown.end(), buffer.begin());
  plugin.SetMemoryBuffer(buffer.data(), kind);
}

}  // namespace tessil
