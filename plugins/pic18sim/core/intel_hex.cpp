#include "plugins/pic18sim/core/intel_hex.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <span>

namespace pic18sim {
namespace {

constexpr std::array<std::int8_t, 256> kDigitValue = [] {
  std::array<std::int8_t, 256> t{};
  t.fill(-1);
  for (int i = 0; i < 10; ++i) t['0' + i] = static_cast<std::int8_t>(i);
  for (int i = 0; i < 6; ++i) {
    t['A' + i] = static_cast<std::int8_t>(10 + i);
    t['a' + i] = static_cast<std::int8_t>(10 + i);
  }
  return t;
}();

constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string Hex(std::uint32_t value, int digits) {
  std::string s(static_cast<std::size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4)
    s[static_cast<std::size_t>(i)] = kHexDigits[value & 0xF];
  return s;
}

// A region of the part that a record may write into.
struct Region {
  std::uint32_t start;
  std::uint32_t size;
  std::uint8_t* bytes;
};

class Parser {
 public:
  Parser(const Device& device, bool accept_device_id) : device_(device) {
    result_.image = ErasedImage(device);
    Image& image = result_.image;
    regions_[0] = {0, device.program_bytes, image.program.data()};
    regions_[1] = {kIdAddress, kIdBytes, image.id.data()};
    regions_[2] = {kConfigAddress, kConfigBytes, image.config.data()};
    regions_[3] = {kEepromAddress, device.eeprom_bytes, image.eeprom.data()};
    region_count_ = 4;
    if (accept_device_id) regions_[region_count_++] = {kDeviceIdAddress, 2, device_id_.data()};
  }

  HexResult Run(std::string_view text) {
    std::size_t line_number = 0;
    bool ended = false;
    while (!text.empty() && !ended) {
      ++line_number;
      std::size_t end = text.find('\n');
      std::string_view line = text.substr(0, end);
      text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      if (line.empty()) continue;
      std::string error = Record(line, ended);
      if (!error.empty()) return Fail("line " + std::to_string(line_number) + ": " + error);
    }
    if (!ended) return Fail("no end record (type 01)");
    if (device_id_seen_ == 0x3) {
      result_.device_id = static_cast<std::uint16_t>(device_id_[0] | device_id_[1] << 8);
    }
    return std::move(result_);
  }

 private:
  HexResult Fail(std::string error) {
    HexResult failed;
    failed.error = std::move(error);
    return failed;
  }

  std::string Record(std::string_view line, bool& ended) {
    if (line[0] != ':') return "a record must start with ':'";
    std::size_t digits = line.size() - 1;
    if (digits < 10 || digits % 2 != 0)
      return "a record needs an even number of at least 10 digits";
    std::array<std::uint8_t, 260> bytes;
    std::size_t count = digits / 2;
    if (count > bytes.size()) return "the record is longer than 255 data bytes";
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i < count; ++i) {
      int high = kDigitValue[static_cast<unsigned char>(line[1 + 2 * i])];
      int low = kDigitValue[static_cast<unsigned char>(line[2 + 2 * i])];
      if ((high | low) < 0) return "a record may hold only hexadecimal digits";
      bytes[i] = static_cast<std::uint8_t>(high << 4 | low);
      sum = static_cast<std::uint8_t>(sum + bytes[i]);
    }
    std::size_t length = bytes[0];
    if (count != length + 5) return "the byte count does not match the record's length";
    if (sum != 0) return "bad checksum";
    std::uint32_t offset = static_cast<std::uint32_t>(bytes[1] << 8 | bytes[2]);
    std::span<const std::uint8_t> data(bytes.data() + 4, length);
    auto word = [&] { return static_cast<std::uint32_t>(data[0] << 8 | data[1]); };
    switch (bytes[3]) {
      case 0x00:
        return Data(base_ + offset, data);
      case 0x01:
        if (length != 0) return "an end record carries no data";
        ended = true;
        return {};
      case 0x02:
        if (length != 2) return "an extended segment address record carries 2 bytes";
        base_ = word() << 4;
        return {};
      case 0x04:
        if (length != 2) return "an extended linear address record carries 2 bytes";
        base_ = word() << 16;
        return {};
      case 0x03:
      case 0x05:
        if (length != 4) return "a start address record carries 4 bytes";
        return {};
      default:
        return "unknown record type 0x" + Hex(bytes[3], 2);
    }
  }

  std::string Data(std::uint32_t address, std::span<const std::uint8_t> data) {
    if (data.empty()) return {};
    for (std::size_t r = 0; r < region_count_; ++r) {
      const Region& region = regions_[r];
      if (address < region.start || address - region.start >= region.size) continue;
      std::uint32_t at = address - region.start;
      if (data.size() > region.size - at) break;
      std::ranges::copy(data, region.bytes + at);
      if (region.bytes == device_id_.data()) {
        for (std::uint32_t i = at; i < at + data.size(); ++i) device_id_seen_ |= 1u << i;
      }
      return {};
    }
    // Name the first byte that falls outside.
    std::uint32_t bad = address;
    for (std::size_t i = 0; i < data.size(); ++i, ++bad) {
      bool inside = std::any_of(
          regions_.begin(), regions_.begin() + static_cast<std::ptrdiff_t>(region_count_),
          [&](const Region& g) { return bad >= g.start && bad - g.start < g.size; });
      if (!inside) break;
    }
    return "address 0x" + Hex(bad, 6) + " is outside the " + std::string(device_.name) +
           "'s memory";
  }

  const Device& device_;
  HexResult result_;
  std::array<Region, 5> regions_{};
  std::size_t region_count_ = 0;
  std::array<std::uint8_t, 2> device_id_{};
  unsigned device_id_seen_ = 0;
  std::uint32_t base_ = 0;
};

class Writer {
 public:
  // About 2.8 characters of text per data byte in 16-byte records.
  explicit Writer(std::size_t data_bytes) { out_.reserve(data_bytes * 3 + 64); }

  std::string Finish() {
    Put(0, 0x01, {});
    return std::move(out_);
  }

  // Writes `bytes` from `address` on, 16 a record, skipping 16-byte rows that are all erased.
  void Rows(std::uint32_t address, std::span<const std::uint8_t> bytes, bool skip_erased) {
    for (std::size_t at = 0; at < bytes.size(); at += 16) {
      auto row = bytes.subspan(at, std::min<std::size_t>(16, bytes.size() - at));
      if (skip_erased &&
          std::ranges::all_of(row, [](std::uint8_t b) { return b == kErasedByte; })) {
        continue;
      }
      Data(address + static_cast<std::uint32_t>(at), row);
    }
  }

  void Data(std::uint32_t address, std::span<const std::uint8_t> bytes) {
    if (address >> 16 != upper_) {
      upper_ = address >> 16;
      const std::uint8_t upper[2] = {static_cast<std::uint8_t>(upper_ >> 8),
                                     static_cast<std::uint8_t>(upper_)};
      Put(0, 0x04, upper);
    }
    Put(static_cast<std::uint16_t>(address), 0x00, bytes);
  }

 private:
  void Byte(std::uint8_t b) {
    out_ += kHexDigits[b >> 4];
    out_ += kHexDigits[b & 0xF];
  }

  void Put(std::uint16_t offset, std::uint8_t type, std::span<const std::uint8_t> bytes) {
    std::uint8_t sum = static_cast<std::uint8_t>(bytes.size() + (offset >> 8) + offset + type);
    out_ += ':';
    Byte(static_cast<std::uint8_t>(bytes.size()));
    Byte(static_cast<std::uint8_t>(offset >> 8));
    Byte(static_cast<std::uint8_t>(offset));
    Byte(type);
    for (std::uint8_t b : bytes) {
      Byte(b);
      sum = static_cast<std::uint8_t>(sum + b);
    }
    Byte(static_cast<std::uint8_t>(-sum));
    out_ += '\n';
  }

  std::string out_;
  std::uint32_t upper_ = ~0u;
};

}  // namespace

HexResult ParseHex(std::string_view text, const Device& device, bool accept_device_id) {
  return Parser(device, accept_device_id).Run(text);
}

HexResult ReadHexFile(const std::filesystem::path& file, const Device& device,
                      bool accept_device_id) {
  HexResult failed;
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    failed.error = file.string() + ": " + (ec ? ec.message() : "not a regular file");
    return failed;
  }
  std::uintmax_t size = std::filesystem::file_size(file, ec);
  if (!ec && size > kMaxHexFileBytes) {
    failed.error = file.string() + ": too large for a PIC18 HEX file";
    return failed;
  }
  std::ifstream in(file, std::ios::binary);
  std::string text(ec ? 0 : static_cast<std::size_t>(size), '\0');
  if (in) in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (!in) {
    failed.error = file.string() + ": " + std::strerror(errno);
    return failed;
  }
  // A file that grew while it was read is refused rather than cut short.
  if (in.peek() != std::char_traits<char>::eof()) {
    failed.error = file.string() + ": changed while it was read";
    return failed;
  }
  HexResult result = ParseHex(text, device, accept_device_id);
  if (!result.ok()) result.error = file.string() + ": " + result.error;
  return result;
}

std::string FormatHex(const Image& image, const Device& device,
                      std::optional<std::uint16_t> device_id) {
  Writer writer(image.program.size() + image.eeprom.size());
  writer.Rows(0, image.program, true);
  writer.Rows(kEepromAddress, image.eeprom, true);
  writer.Rows(kIdAddress, image.id, true);
  // Configuration bytes in runs of neighbours worth writing.
  for (std::size_t i = 0; i < kConfigBytes;) {
    auto wanted = [&](std::size_t k) {
      return device.config[k].mask != 0 || image.config[k] != device.config[k].erased;
    };
    if (!wanted(i)) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < kConfigBytes && wanted(end)) ++end;
    writer.Data(kConfigAddress + static_cast<std::uint32_t>(i),
                std::span(image.config).subspan(i, end - i));
    i = end;
  }
  if (device_id) {
    const std::uint8_t id[2] = {static_cast<std::uint8_t>(*device_id),
                                static_cast<std::uint8_t>(*device_id >> 8)};
    writer.Data(kDeviceIdAddress, id);
  }
  return writer.Finish();
}

}  // namespace pic18sim
