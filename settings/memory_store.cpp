#include "settings/memory_store.h"

namespace tessil {

void MemoryStore::CreateKey(std::string_view key) {
  tree_.CreateKey(key);
  changes_.push_back("create " + std::string(key));
}

void MemoryStore::Write(std::string_view key, std::string_view name, const StoreValue& value) {
  tree_.Write(key, name, value);
  changes_.push_back("write " + std::string(key) + ' ' + std::string(name) + '=' +
                     FormatValue(value));
}

}  // namespace tessil
