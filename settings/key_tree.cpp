#include "settings/key_tree.h"

#include <algorithm>
#include <cstdio>

namespace tessil {
namespace {

using namespace std::string_view_literals;

char Fold(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool HasLineBreakOrNul(std::string_view s) {
  return s.find_first_of("\r\n\0"sv) != s.npos;
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return std::ranges::equal(a, b, [](char x, char y) { return Fold(x) == Fold(y); });
}

std::string FormatValue(const StoreValue& value) {
  if (const auto* number = std::get_if<std::uint32_t>(&value)) {
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", static_cast<unsigned>(*number));
    return text;
  }
  std::string out = "\"";
  for (char c : std::get<std::string>(value)) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + '"';
}

void CheckKeyPath(std::string_view key) {
  const char* fault = nullptr;
  if (key.empty() || key.front() != '\\')
    fault = "it must start with a backslash";
  else if (key.size() == 1 || key.back() == '\\' || key.find("\\\\") != key.npos)
    fault = "a part of it is empty";
  else if (HasLineBreakOrNul(key))
    fault = "it holds a line break or NUL";
  if (fault) throw SettingsError("Invalid key path \"" + std::string(key) + "\": " + fault);
}

void CheckValueName(std::string_view name) {
  if (HasLineBreakOrNul(name))
    throw SettingsError("Invalid value name \"" + std::string(name) +
                        "\": it holds a line break or NUL");
}

void CheckText(std::string_view text) {
  if (HasLineBreakOrNul(text))
    throw SettingsError("Cannot store the text \"" + std::string(text) +
                        "\": it holds a line break or NUL");
}

KeyTree::Key* KeyTree::Find(std::string_view key) {
  auto it = std::ranges::find_if(keys_, [&](const Key& k) { return EqualsNoCase(k.path, key); });
  return it == keys_.end() ? nullptr : &*it;
}

const KeyTree::Key* KeyTree::Find(std::string_view key) const {
  return const_cast<KeyTree*>(this)->Find(key);
}

bool KeyTree::KeyExists(std::string_view key) const {
  return Find(key) != nullptr;
}

bool KeyTree::AddKey(std::string_view key) {
  CheckKeyPath(key);
  if (Find(key)) return false;
  keys_.push_back({std::string(key), {}});
  return true;
}

bool KeyTree::CreateKey(std::string_view key) {
  CheckKeyPath(key);
  bool added = false;
  std::string spelled;  // the path so far, in the spelling of the keys already present
  for (std::size_t pos = 0; pos != key.npos;) {
    const std::size_t next = key.find('\\', pos + 1);
    if (const Key* existing = Find(key.substr(0, next))) {
      spelled = existing->path;
    } else {
      spelled += key.substr(pos, next - pos);
      keys_.push_back({spelled, {}});
      added = true;
    }
    pos = next;
  }
  return added;
}

std::optional<StoreValue> KeyTree::Read(std::string_view key, std::string_view name) const {
  const Key* k = Find(key);
  if (!k) return std::nullopt;
  for (const Value& v : k->values)
    if (EqualsNoCase(v.name, name)) return v.value;
  return std::nullopt;
}

bool KeyTree::Write(std::string_view key, std::string_view name, const StoreValue& value) {
  CheckValueName(name);
  if (const auto* text = std::get_if<std::string>(&value)) CheckText(*text);
  Key* k = Find(key);
  if (!k)
    throw SettingsError("Cannot write the value \"" + std::string(name) + "\": the key " +
                        std::string(key) + " does not exist");
  for (Value& v : k->values) {
    if (EqualsNoCase(v.name, name)) {
      if (v.value == value) return false;
      v.value = value;
      return true;
    }
  }
  k->values.push_back({std::string(name), value});
  return true;
}

void KeyTree::DeleteKey(std::string_view key) {
  std::erase_if(keys_, [&](const Key& k) {
    return EqualsNoCase(k.path, key) ||
           (k.path.size() > key.size() && k.path[key.size()] == '\\' &&
            EqualsNoCase(std::string_view(k.path).substr(0, key.size()), key));
  });
}

}  // namespace tessil
