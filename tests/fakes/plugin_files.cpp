#include "tests/fakes/plugin_files.h"

#include <dlfcn.h>

#include <cstdlib>
#include <stdexcept>

namespace tessil::fakes {

namespace {

std::string FakesDir() {
  const char* build = std::getenv("TESSIL_BUILD_DIR");
  if (build == nullptr) throw std::runtime_error("TESSIL_BUILD_DIR is not set");
  return std::string(build) + "/tests/fakes/";
}

}  // namespace

std::string RecordingLibraryPath() {
  return FakesDir() + "librecording.so";
}

std::string RecordingLibraryMissingPath(std::string_view entry) {
  if (entry.starts_with('_')) entry.remove_prefix(1);
  return FakesDir() + "librecording_missing_" + std::string(entry) + ".so";
}

std::string NotALibraryPath() {
  return FakesDir() + "not_a_library.so";
}

bool IsLoaded(const std::string& path) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle) dlclose(handle);
  return handle != nullptr;
}

RecorderState* LoadedRecorder(const std::string& path) {
  // RTLD_NOLOAD finds a mapped library without loading it; the reference it
  // takes is given back at once, so the host alone decides when it goes.
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return nullptr;
  auto accessor = reinterpret_cast<RecorderState* (*)()>(dlsym(handle, "recorder_state"));
  dlclose(handle);
  return accessor ? accessor() : nullptr;
}

}  // namespace tessil::fakes
