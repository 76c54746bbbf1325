// The per-user store kept as one text file in the registry's export format (REGEDIT4), so that
// it can be read, edited and carried to or from Windows by hand:
//
//   REGEDIT4
//
//   [HKEY_CURRENT_USER\Software\Tessil\DLL]
//   "filename"="/home/me/plugins/libpic18sim.so"
//   "LPT_port_@"=dword:00000378
//
// Every access reads the file again, so changes made by another copy of the program or by hand
// are seen at once. Every change is a locked read-modify-write that replaces the file
// atomically, so a crash leaves the old or the new file whole and two programs writing at the
// same time lose neither change. A file that cannot be read or parsed is reported with its
// path and line and is never written over.
#pragma once

#include <filesystem>
#include <functional>

#include "settings/key_tree.h"
#include "settings/settings.h"

namespace tessil {

class FileStore : public Store {
 public:
  explicit FileStore(std::filesystem::path file);

  bool KeyExists(std::string_view key) const override;
  void CreateKey(std::string_view key) override;
  std::optional<StoreValue> Read(std::string_view key, std::string_view name) const override;
  void Write(std::string_view key, std::string_view name, const StoreValue& value) override;

  const std::filesystem::path& file() const { return file_; }

 private:
  KeyTree Load() const;
  // Applies one change under the lock; the change returns whether it altered anything, and
  // the file is rewritten only then.
  void Change(const std::function<bool(KeyTree&)>& change);

  std::filesystem::path file_;
};

// $XDG_CONFIG_HOME/tessil/registry.reg; $HOME/.config stands in when XDG_CONFIG_HOME is unset,
// empty or not an absolute path.
std::filesystem::path DefaultStorePath();

// The text form of a tree, and back; `file` only names the file in error messages.
std::string FormatRegFile(const KeyTree& tree);
KeyTree ParseRegFile(std::string_view text, const std::filesystem::path& file);

}  // namespace tessil
