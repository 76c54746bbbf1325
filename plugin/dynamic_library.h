// A shared library opened with dlopen, as the plug-in host's Library.
#pragma once

#include <memory>
#include <string>

#include "plugin/plugin_host.h"

namespace tessil {

class DynamicLibrary : public Library {
 public:
  // Loads the library at path with every symbol bound now, so a library with
  // unresolved dependencies fails here rather than at its first call, and
  // keeps its symbols out of the global scope so two plug-ins never clash.
  // Null when it cannot be loaded; error then holds the loader's reason.
  static std::unique_ptr<DynamicLibrary> Open(const std::string& path,
                                              std::string* error = nullptr);

  ~DynamicLibrary() override;
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  void* Symbol(const char* name) override;

 private:
  explicit DynamicLibrary(void* handle) : handle_(handle) {}
  void* handle_;
};

// A LibraryOpener over DynamicLibrary::Open.
LibraryOpener DynamicLibraryOpener();

}  // namespace tessil
