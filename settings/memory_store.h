// A store held in memory, for tests: it keeps a log of every change asked of it, so a test can
// tell exactly which keys were created and which values written, in which order.
#pragma once

#include <string>
#include <vector>

#include "settings/key_tree.h"
#include "settings/settings.h"

namespace tessil {

class MemoryStore : public Store {
 public:
  bool KeyExists(std::string_view key) const override { return tree_.KeyExists(key); }
  void CreateKey(std::string_view key) override;
  std::optional<StoreValue> Read(std::string_view key, std::string_view name) const override {
    return tree_.Read(key, name);
  }
  void Write(std::string_view key, std::string_view name, const StoreValue& value) override;

  // One line per successful call, in call order, even when it changed nothing:
  //   create \Software\Tessil
  //   write \Software\Tessil\DLL autorun="NO"
  //   write \Software\Tessil\DLL\Settings CLOCK_MASK=dword:00000002
  const std::vector<std::string>& changes() const { return changes_; }
  void ClearChanges() { changes_.clear(); }

  // Direct access for setting up a case, e.g. deleting a key by hand; not logged.
  KeyTree& tree() { return tree_; }

 private:
  KeyTree tree_;
  std::vector<std::string> changes_;
};

}  // namespace tessil
