// The per-user settings store: a tree of keys holding named text and 32-bit
// integer values, reached through one current key at a time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>

namespace tessil {

// Every failure of the store: unreadable or malformed file, a write with no
// current key, a value of the wrong type.
class SettingsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A stored value: text or a 32-bit integer.
using StoreValue = std::variant<std::string, std::uint32_t>;

// The backing of the store. Keys are full paths with a leading backslash
// ("\Software\Tessil\DLL"); key and value names match case-insensitively.
class Store {
 public:
  virtual ~Store() = default;
  virtual bool KeyExists(std::string_view key) const = 0;
  // Creates the key and its missing parents.
  virtual void CreateKey(std::string_view key) = 0;
  virtual std::optional<StoreValue> Read(std::string_view key, std::string_view name) const = 0;
  // Writes into an existing key.
  virtual void Write(std::string_view key, std::string_view name, const StoreValue& value) = 0;
};

class Settings {
 public:
  // Bound to the per-user root; no current key.
  explicit Settings(std::unique_ptr<Store> store);
  ~Settings();  // closes the current key

  // Makes an existing key current (true); a missing key leaves the current one (false).
  bool OpenKey(std::string_view path);
  // Creates the key and any missing parents; the current key does not change.
  void CreateKey(std::string_view path);
  // A missing value reads as ""; a value of another type is an error.
  std::string ReadString(std::string_view name);
  // Errors when there is no current key or the write fails.
  void WriteString(std::string_view name, std::string_view text);
  void WriteInteger(std::string_view name, std::int32_t value);

  const std::optional<std::string>& CurrentKey() const { return current_; }
  Store& store() { return *store_; }

 private:
  std::unique_ptr<Store> store_;
  std::optional<std::string> current_;
};

namespace keys {
inline constexpr char kTop[] = "\\Software\\Tessil";
inline constexpr char kMainWindow[] = "\\Software\\Tessil\\MainWindow";
inline constexpr char kDll[] = "\\Software\\Tessil\\DLL";
inline constexpr char kDllSettings[] = "\\Software\\Tessil\\DLL\\Settings";
}  // namespace keys

inline constexpr char kReleaseMarker[] = "Tessil v2.02";

// The device plug-in's wiring and timing values under keys::kDllSettings, with the defaults
// that seeding writes, in the order it writes them. The program itself never reads them.
struct PluginValueDefault {
  std::string_view name;
  std::int32_t value;
};
inline constexpr PluginValueDefault kPluginValueDefaults[] = {
    {"CLOCK_MASK", 2},         {"DATA_FROM_PIC_MASK", 128},
    {"DATA_TO_PIC_MASK", 1},   {"VPP_MASK", 4},
    {"VCC_MASK", 8},           {"CLOCK_INV", 32},
    {"DATA_FROM_PIC_INV", 16}, {"DATA_TO_PIC_INV", 32},
    {"VPP_INV", 16},           {"VCC_INV", 16},
    {"DelayIO", 255},          {"DelayProg", 16},
    {"LPT_port_@", 888},
};

// The release check, seeding the store when the stored marker differs.
void CheckReleaseAndSeed(Settings& settings);

}  // namespace tessil
