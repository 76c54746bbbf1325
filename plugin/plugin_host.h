// The loaded device plug-in: its library, its entry table and every call into it.
#pragma once

#include <tessil/plugin.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tessil {

// A loaded shared library, or an in-process stand-in for one in tests.
class Library {
 public:
  virtual ~Library() = default;
  // The exported function of that exact name, or null.
  virtual void* Symbol(const char* name) = 0;
};

// Opens the library at a path; null when it cannot be loaded.
using LibraryOpener = std::function<std::unique_ptr<Library>(const std::string& path)>;

// One slot per entry point, in lookup order.
struct EntryTable {
#define TESSIL_ENTRY_SLOT(name, params, args) tessil_##name##_fn name = nullptr;
  TESSIL_PLUGIN_ENTRIES(TESSIL_ENTRY_SLOT)
#undef TESSIL_ENTRY_SLOT
};

// Looks all 24 names up in lookup order (also after a miss) and stores each
// result in its slot; any missing name clears the _ShowDLL slot, which is the
// accepted flag. A null library resolves nothing.
void BindPluginEntries(EntryTable& table, Library* library);

class PluginHost {
 public:
  explicit PluginHost(LibraryOpener opener = {});  // default: dlopen
  ~PluginHost();
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // Unloads the accepted plug-in (without calling it), loads the library at
  // path and binds it. True when all 24 entry points were found; otherwise
  // the library is unloaded again and every slot is empty.
  bool Load(const std::string& path);
  // Unloads the library, if any; every slot becomes empty.
  void Unload();
  bool Accepted() const { return entries_.ShowDLL != nullptr; }
  // Why the last Load failed, for diagnostics (the loader's error or the missing names).
  const std::string& LastError() const { return lastError_; }

  // The calls. While no plug-in is accepted none of them reaches a library:
  // each returns 0 and leaves its out-arguments untouched.
#define TESSIL_HOST_CALL(name, params, args) std::uint8_t name params;
  TESSIL_PLUGIN_ENTRIES(TESSIL_HOST_CALL)
#undef TESSIL_HOST_CALL

 private:
  // Counts the calls under way, so that an unload from inside one keeps the
  // library mapped until the call returns.
  class CallScope {
   public:
    explicit CallScope(PluginHost& host);
    ~CallScope();
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

   private:
    PluginHost& host_;
  };

  LibraryOpener opener_;
  std::unique_ptr<Library> library_;
  EntryTable entries_;
  std::string lastError_;
  int callsInProgress_ = 0;
  std::vector<std::unique_ptr<Library>> retired_;  // unloaded during a call
};

}  // namespace tessil
