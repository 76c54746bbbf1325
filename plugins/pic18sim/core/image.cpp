#include "plugins/pic18sim/core/image.h"

#include <algorithm>
#include <numeric>

namespace pic18sim {

Image ErasedImage(const Device& device) {
  Image image;
  image.program.assign(device.program_bytes, kErasedByte);
  image.id.fill(kErasedByte);
  std::ranges::transform(device.config, image.config.begin(), &ConfigByte::erased);
  image.eeprom.assign(device.eeprom_bytes, kErasedByte);
  return image;
}

Image FitImage(const Image& image, const Device& device) {
  Image fitted = ErasedImage(device);
  std::copy_n(image.program.begin(), std::min(image.program.size(), fitted.program.size()),
              fitted.program.begin());
  std::copy_n(image.eeprom.begin(), std::min(image.eeprom.size(), fitted.eeprom.size()),
              fitted.eeprom.begin());
  fitted.id = image.id;
  return fitted;
}

std::uint16_t Checksum(const Image& image, const Device& device) {
  std::uint32_t sum = std::accumulate(image.program.begin(), image.program.end(), std::uint32_t{0});
  for (std::size_t i = 0; i < kConfigBytes; ++i) sum += image.config[i] & device.config[i].mask;
  return static_cast<std::uint16_t>(sum);
}

void CopyWords(const Image& image, std::span<std::uint16_t> words) {
  for (std::size_t i = 0; i < words.size() && 2 * i + 1 < image.program.size(); ++i)
    words[i] = static_cast<std::uint16_t>(image.program[2 * i] | image.program[2 * i + 1] << 8);
}

void SetWords(Image& image, std::span<const std::uint16_t> words) {
  for (std::size_t i = 0; i < words.size() && 2 * i + 1 < image.program.size(); ++i) {
    image.program[2 * i] = static_cast<std::uint8_t>(words[i]);
    image.program[2 * i + 1] = static_cast<std::uint8_t>(words[i] >> 8);
  }
}

}  // namespace pic18sim
