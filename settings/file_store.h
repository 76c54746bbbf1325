// TEMPORARY stand-in declarations so the window can be built before the real
// file store lands; replace with the real header.
#pragma once

#include "settings/settings.h"

#include <filesystem>

namespace tessil {

class FileStore : public Store {
 public:
  explicit FileStore(std::filesystem::path path);
  bool KeyExists(std::string_view key) const override;
  void CreateKey(std::string_view key) override;
  std::optional<StoreValue> Read(std::string_view key, std::string_view name) const override;
  void Write(std::string_view key, std::string_view name, const StoreValue& value) override;

 private:
  std::filesystem::path path_;
};

std::filesystem::path DefaultStorePath();

}  // namespace tessil
