#include "plugin/plugin_host.h"

#include <utility>
#include <vector>

#include "plugin/dynamic_library.h"

namespace tessil {

namespace {

// Binds every slot in lookup order and returns the names that were missing.
std::vector<std::string> Bind(EntryTable& table, Library* library) {
  std::vector<std::string> missing;
  auto lookUp = [&](const char* name) -> void* {
    void* symbol = library ? library->Symbol(name) : nullptr;
    if (symbol == nullptr) missing.emplace_back(name);
    return symbol;
  };
  // _ShowDLL is stored untested; any later miss clears it, and it is the
  // accepted flag, so one missing name refuses the whole plug-in.
#define TESSIL_BIND_SLOT(name, params, args)                            \
  table.name = reinterpret_cast<tessil_##name##_fn>(lookUp("_" #name)); \
  if (table.name == nullptr) table.ShowDLL = nullptr;
  TESSIL_PLUGIN_ENTRIES(TESSIL_BIND_SLOT)
#undef TESSIL_BIND_SLOT
  return missing;
}

}  // namespace

void BindPluginEntries(EntryTable& table, Library* library) {
  Bind(table, library);
}

PluginHost::PluginHost(LibraryOpener opener) : opener_(std::move(opener)) {}

PluginHost::~PluginHost() {
  Unload();
}

bool PluginHost::Load(const std::string& path) {
  Unload();
  lastError_.clear();
  library_ = opener_ ? opener_(path) : DynamicLibrary::Open(path, &lastError_);
  if (!library_) {
    if (lastError_.empty()) lastError_ = path + ": cannot be loaded";
    return false;
  }
  std::vector<std::string> missing = Bind(entries_, library_.get());
  if (Accepted()) return true;
  lastError_ = path + ": missing entry points:";
  for (const std::string& name : missing) lastError_ += " " + name;
  Unload();
  return false;
}

void PluginHost::Unload() {
  entries_ = EntryTable{};
  // A plug-in may process window messages inside a call, and a handler run
  // from there may replace the plug-in; its code stays mapped until the
  // outermost call has returned into it.
  if (callsInProgress_ > 0 && library_) {
    retired_.push_back(std::move(library_));
  }
  library_.reset();
}

PluginHost::CallScope::CallScope(PluginHost& host) : host_(host) {
  ++host_.callsInProgress_;
}

PluginHost::CallScope::~CallScope() {
  if (--host_.callsInProgress_ == 0) host_.retired_.clear();
}

#define TESSIL_HOST_CALL(name, params, args) \
  std::uint8_t PluginHost::name params {     \
    if (!Accepted()) return 0;               \
    CallScope scope(*this);                  \
    return entries_.name args;               \
  }
TESSIL_PLUGIN_ENTRIES(TESSIL_HOST_CALL)
#undef TESSIL_HOST_CALL

}  // namespace tessil
