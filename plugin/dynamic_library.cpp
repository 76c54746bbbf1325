#include "plugin/dynamic_library.h"

#include <dlfcn.h>

namespace tessil {

std::unique_ptr<DynamicLibrary> DynamicLibrary::Open(const std::string& path, std::string* error) {
  // dlopen("") hands back the program itself, which is never a plug-in.
  if (path.empty()) {
    if (error) *error = "no library path given";
    return nullptr;
  }
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    if (error) *error = reason ? reason : path + ": cannot be loaded";
    return nullptr;
  }
  return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(handle));
}

DynamicLibrary::~DynamicLibrary() {
  dlclose(handle_);
}

void* DynamicLibrary::Symbol(const char* name) {
  return dlsym(handle_, name);
}

LibraryOpener DynamicLibraryOpener() {
  return [](const std::string& path) -> std::unique_ptr<Library> {
    return DynamicLibrary::Open(path);
  };
}

}  // namespace tessil
