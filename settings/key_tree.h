// The store's content held in memory: keys in the order they were first made, each with its
// values in the order they were first written. Both stores keep one of these; the file store
// rebuilds it from the file on every access.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/settings.h"

namespace tessil {

// ASCII-only case folding: names are single-byte text and the registry folds the same way for
// every name this program uses.
bool EqualsNoCase(std::string_view a, std::string_view b);

// The registry export notation of a value: "text" with \\ and \" escaped, or dword:0000000a.
std::string FormatValue(const StoreValue& value);

// Raise SettingsError for what no store line could hold: a key path without its leading
// backslash or with an empty part, a line break or NUL inside a name or a text.
void CheckKeyPath(std::string_view key);
void CheckValueName(std::string_view name);
void CheckText(std::string_view text);

class KeyTree {
 public:
  struct Value {
    std::string name;  // as first written
    StoreValue value;
  };
  struct Key {
    std::string path;  // full path with the leading backslash, as first written
    std::vector<Value> values;
  };

  bool KeyExists(std::string_view key) const;
  // Adds the key and its missing parents, which take the spelling of the parents already
  // there. Returns whether anything was added.
  bool CreateKey(std::string_view key);
  // Adds this one key, not its parents: a file section stands for its own key only.
  bool AddKey(std::string_view key);
  std::optional<StoreValue> Read(std::string_view key, std::string_view name) const;
  // Creates or replaces a value of an existing key; a replaced value keeps its name's
  // spelling. Returns whether the content changed.
  bool Write(std::string_view key, std::string_view name, const StoreValue& value);
  // Removes the key with everything below it, as deleting it by hand would.
  void DeleteKey(std::string_view key);

  const std::vector<Key>& keys() const { return keys_; }

 private:
  Key* Find(std::string_view key);
  const Key* Find(std::string_view key) const;

  std::vector<Key> keys_;
};

}  // namespace tessil
