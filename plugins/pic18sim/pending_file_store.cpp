// TEMPORARY STAND-IN, to be deleted when settings/file_store.h lands: a minimal REGEDIT4 file
// store with the interface announced for tessil::FileStore, only so that this branch links.
// At merge, delete this file and define pic18sim::OpenProgramStore() as
//   return std::make_unique<tessil::FileStore>(tessil::DefaultStorePath());
// in a file that includes "settings/file_store.h".
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>

#include "plugins/pic18sim/core/atomic_file.h"
#include "plugins/pic18sim/core/program_store.h"

namespace tessil {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

constexpr char kRoot[] = "HKEY_CURRENT_USER";

struct Key {
  std::string path;
  std::map<std::string, std::pair<std::string, StoreValue>> values;  // by lower-case name
};
using Tree = std::map<std::string, Key>;  // by lower-case path

std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i)
    out += text[i] == '\\' && i + 1 < text.size() ? text[++i] : text[i];
  return out;
}

std::string Escape(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out;
}

}  // namespace

class FileStore : public Store {
 public:
  explicit FileStore(std::filesystem::path file) : file_(std::move(file)) {}

  bool KeyExists(std::string_view key) const override { return Load().contains(Lower(key)); }

  void CreateKey(std::string_view key) override {
    Tree tree = Load();
    for (std::size_t at = 1; at != std::string_view::npos; at = key.find('\\', at + 1)) {
      std::string_view prefix = key.substr(0, key.find('\\', at + 1));
      tree.try_emplace(Lower(prefix), Key{std::string(prefix), {}});
    }
    Save(tree);
  }

  std::optional<StoreValue> Read(std::string_view key, std::string_view name) const override {
    Tree tree = Load();
    auto k = tree.find(Lower(key));
    if (k == tree.end()) return std::nullopt;
    auto v = k->second.values.find(Lower(name));
    if (v == k->second.values.end()) return std::nullopt;
    return v->second.second;
  }

  void Write(std::string_view key, std::string_view name, const StoreValue& value) override {
    Tree tree = Load();
    auto k = tree.find(Lower(key));
    if (k == tree.end()) throw SettingsError("no key " + std::string(key));
    k->second.values[Lower(name)] = {std::string(name), value};
    Save(tree);
  }

 private:
  Tree Load() const {
    Tree tree;
    std::ifstream in(file_, std::ios::binary);
    if (!in) return tree;
    std::string line;
    Key* current = nullptr;
    for (int number = 1; std::getline(in, line); ++number) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      auto fail = [&] {
        return SettingsError(file_.string() + ":" + std::to_string(number) + ": cannot read");
      };
      if (line.empty() || (number == 1 && line == "REGEDIT4")) continue;
      if (line.front() == '[' && line.back() == ']' && line.starts_with(std::string("[") + kRoot)) {
        std::string path = line.substr(1 + sizeof kRoot - 1, line.size() - sizeof kRoot - 1);
        current = &tree.try_emplace(Lower(path), Key{path, {}}).first->second;
        continue;
      }
      std::size_t eq = line.find("\"=");
      if (!current || line.front() != '"' || eq == std::string::npos) throw fail();
      std::string name = Unescape(std::string_view(line).substr(1, eq - 1));
      std::string_view data = std::string_view(line).substr(eq + 2);
      if (data.starts_with("dword:") && data.size() == 14) {
        current->values[Lower(name)] = {
            name, static_cast<std::uint32_t>(std::stoul(std::string(data.substr(6)), nullptr, 16))};
      } else if (data.size() >= 2 && data.front() == '"' && data.back() == '"') {
        current->values[Lower(name)] = {name, Unescape(data.substr(1, data.size() - 2))};
      } else {
        throw fail();
      }
    }
    return tree;
  }

  void Save(const Tree& tree) const {
    std::string text = "REGEDIT4\n";
    for (const auto& [lower, key] : tree) {
      text += "\n[" + std::string(kRoot) + key.path + "]\n";
      for (const auto& [name_lower, entry] : key.values) {
        text.append(1, '"').append(Escape(entry.first)).append("\"=");
        if (const auto* s = std::get_if<std::string>(&entry.second)) {
          text.append(1, '"').append(Escape(*s)).append("\"\n");
        } else {
          char dword[16];
          std::snprintf(dword, sizeof dword, "dword:%08x\n", std::get<std::uint32_t>(entry.second));
          text += dword;
        }
      }
    }
    std::string error = pic18sim::WriteFileAtomically(file_, text);
    if (!error.empty()) throw SettingsError(error);
  }

  std::filesystem::path file_;
};

std::filesystem::path DefaultStorePath() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && config[0] == '/') return std::filesystem::path(config) / "tessil" / "registry.reg";
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home ? home : "/tmp") / ".config" / "tessil" / "registry.reg";
}

}  // namespace tessil

namespace pic18sim {

std::unique_ptr<tessil::Store> OpenProgramStore() {
  return std::make_unique<tessil::FileStore>(tessil::DefaultStorePath());
}

}  // namespace pic18sim
