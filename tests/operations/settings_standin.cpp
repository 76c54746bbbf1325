// A stand-in for the Settings methods these tests use, linked only while the
// settings library has no implementation of its own (see CMakeLists.txt).
// Delete this file once it is never linked.
#include "settings/settings.h"

namespace tessil {

Settings::Settings(std::unique_ptr<Store> store) : store_(std::move(store)) {}

Settings::~Settings() = default;

bool Settings::OpenKey(std::string_view path) {
  if (!store_->KeyExists(path)) return false;
  current_ = std::string(path);
  return true;
}

void Settings::CreateKey(std::string_view path) {
  store_->CreateKey(path);
}

std::string Settings::ReadString(std::string_view name) {
  if (!current_) return "";
  std::optional<StoreValue> value = store_->Read(*current_, name);
  if (!value) return "";
  if (const auto* text = std::get_if<std::string>(&*value)) return *text;
  throw SettingsError(std::string(name) + " is not text");
}

void Settings::WriteString(std::string_view name, std::string_view text) {
  if (!current_) throw SettingsError("no current key");
  store_->Write(*current_, name, std::string(text));
}

void Settings::WriteInteger(std::string_view name, std::int32_t value) {
  if (!current_) throw SettingsError("no current key");
  store_->Write(*current_, name, static_cast<std::uint32_t>(value));
}

}  // namespace tessil
