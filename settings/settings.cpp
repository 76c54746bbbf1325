#include "settings/settings.h"

#include <cstdint>

namespace tessil {

Settings::Settings(std::unique_ptr<Store> store) : store_(std::move(store)) {
  if (!store_) throw SettingsError("The settings have no store to work on");
}

Settings::~Settings() {
  current_.reset();
}

bool Settings::OpenKey(std::string_view path) {
  if (!store_->KeyExists(path)) return false;
  current_ = std::string(path);
  return true;
}

void Settings::CreateKey(std::string_view path) {
  store_->CreateKey(path);
}

std::string Settings::ReadString(std::string_view name) {
  // With no key open there is no value to find, which reads like a missing one.
  if (!current_) return {};
  const std::optional<StoreValue> value = store_->Read(*current_, name);
  if (!value) return {};
  if (const auto* text = std::get_if<std::string>(&*value)) return *text;
  throw SettingsError("The value \"" + std::string(name) + "\" under " + *current_ +
                      " is an integer, not text");
}

void Settings::WriteString(std::string_view name, std::string_view text) {
  if (!current_)
    throw SettingsError("Cannot write the value \"" + std::string(name) + "\": no key is open");
  store_->Write(*current_, name, std::string(text));
}

void Settings::WriteInteger(std::string_view name, std::int32_t value) {
  if (!current_)
    throw SettingsError("Cannot write the value \"" + std::string(name) + "\": no key is open");
  store_->Write(*current_, name, static_cast<std::uint32_t>(value));
}

void CheckReleaseAndSeed(Settings& settings) {
  if (settings.OpenKey(keys::kTop) && settings.ReadString("release") == kReleaseMarker) {
    settings.OpenKey(keys::kTop);
    return;
  }
  // Another release, or none, was here: every key is made and every value reset, so that
  // nothing left by that release (last files, last plug-in, plug-in wiring) survives.
  for (const char* key : {keys::kTop, keys::kMainWindow, keys::kDll, keys::kDllSettings})
    settings.CreateKey(key);
  settings.OpenKey(keys::kTop);
  settings.WriteString("release", kReleaseMarker);
  settings.WriteString("author", "Kerwen");
  settings.OpenKey(keys::kMainWindow);
  settings.WriteString("open", "");
  settings.WriteString("save", "");
  settings.OpenKey(keys::kDll);
  settings.WriteString("filename", "");
  settings.WriteString("autorun", "NO");
  settings.OpenKey(keys::kDllSettings);
  for (const PluginValueDefault& v : kPluginValueDefaults) settings.WriteInteger(v.name, v.value);
}

}  // namespace tessil
