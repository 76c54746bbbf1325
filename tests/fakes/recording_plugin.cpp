// Built twice over: into tessil_fakes, where InProcessOpener hands its entry
// points to a PluginHost, and as real shared libraries (TESSIL_RECORDING_SHARED),
// where a TESSIL_RECORDING_OMIT_<Name> definition leaves that one entry point out.
#define TESSIL_PLUGIN_IMPLEMENTATION
#include "tests/fakes/recording_plugin.h"

#include <concepts>
#include <cstring>

namespace tessil::fakes {

std::vector<std::string> RecorderState::TakeLog() {
  std::vector<std::string> taken = std::move(log);
  log.clear();
  return taken;
}

RecorderState& Recorder() {
  static RecorderState state;
  return state;
}

namespace {

std::string Text(const char* text) {
  return text ? text : "(null)";
}
std::string Text(std::integral auto value) {
  return std::to_string(+value);
}

// Logs the call with the arguments worth showing and gives its scripted result.
template <typename... Shown>
std::uint8_t Enter(const std::string& name, Shown... shown) {
  RecorderState& state = Recorder();
  std::string line = name;
  if constexpr (sizeof...(shown) > 0) {
    std::string separator = "(";
    ((line += separator + Text(shown), separator = ","), ...);
    line += ")";
  }
  state.log.push_back(line);
  if (auto queued = state.resultQueue.find(name);
      queued != state.resultQueue.end() && !queued->second.empty()) {
    std::uint8_t result = queued->second.front();
    queued->second.pop_front();
    return result;
  }
  auto given = state.result.find(name);
  return given == state.result.end() ? 0 : given->second;
}

// Any kind other than the chip image reads as the file image, so a stray
// kind shows up in the log rather than as an out-of-range access.
std::size_t Slot(std::int32_t kind) {
  return kind == TESSIL_CHIP_IMAGE ? 1 : 0;
}

}  // namespace
}  // namespace tessil::fakes

using tessil::fakes::Enter;
using tessil::fakes::Recorder;
using tessil::fakes::Slot;

extern "C" {

#ifndef TESSIL_RECORDING_OMIT_ShowDLL
uint8_t tessil_ShowDLL(uintptr_t owner) {
  return Enter("_ShowDLL", owner);
}
#endif

#ifndef TESSIL_RECORDING_OMIT_ParseFile
uint8_t tessil_ParseFile(const char* path) {
  return Enter("_ParseFile", path);
}
#endif

#ifndef TESSIL_RECORDING_OMIT_GetMemorySize
uint8_t tessil_GetMemorySize(uint32_t* count, int32_t kind) {
  uint8_t result = Enter("_GetMemorySize", kind);
  *count = Recorder().size[Slot(kind)];
  return result;
}
#endif

#ifndef TESSIL_RECORDING_OMIT_GetMemoryBuffer
uint8_t tessil_GetMemoryBuffer(uint16_t* words, int32_t kind) {
  uint8_t result = Enter("_GetMemoryBuffer", kind);
  const std::vector<uint16_t>& image = Recorder().image[Slot(kind)];
  for (uint32_t i = 0; i < Recorder().size[Slot(kind)]; ++i) {
    words[i] = i < image.size() ? image[i] : 0xFFFF;
  }
  return result;
}
#endif

#ifndef TESSIL_RECORDING_OMIT_SetMemoryBuffer
uint8_t tessil_SetMemoryBuffer(const uint16_t* words, int32_t kind) {
  uint8_t result = Enter("_SetMemoryBuffer", kind);
  Recorder().image[Slot(kind)].assign(words, words + Recorder().size[Slot(kind)]);
  return result;
}
#endif

#ifndef TESSIL_RECORDING_OMIT_UnParseFile
uint8_t tessil_UnParseFile(const char* path, int32_t kind) {
  return Enter("_UnParseFile", path, kind);
}
#endif

#ifndef TESSIL_RECORDING_OMIT_ProgramMem
uint8_t tessil_ProgramMem(int32_t kind) {
  return Enter("_ProgramMem", kind);
}
#endif

#ifndef TESSIL_RECORDING_OMIT_ProgramConfig
uint8_t tessil_ProgramConfig(int32_t kind) {
  return Enter("_ProgramConfig", kind);
}
#endif

#ifndef TESSIL_RECORDING_OMIT_ProgramID
uint8_t tessil_ProgramID(int32_t kind) {
  return Enter("_ProgramID", kind);
}
#endif

#ifndef TESSIL_RECORDING_OMIT_ReadMem
uint8_t tessil_ReadMem(void) {
  return Enter("_ReadMem");
}
#endif

#ifndef TESSIL_RECORDING_OMIT_ReadConfig
uint8_t tessil_ReadConfig(void) {
  return Enter("_ReadConfig");
}
#endif

#ifndef TESSIL_RECORDING_OMIT_ReadID
uint8_t tessil_ReadID(void) {
  return Enter("_ReadID");
}
#endif

#ifndef TESSIL_RECORDING_OMIT_ReadRevDev
// Fills the whole area, so a caller's short buffer shows under AddressSanitizer.
uint8_t tessil_ReadRevDev(uint8_t area[TESSIL_REVDEV_SIZE]) {
  std::memset(area, 0xA5, TESSIL_REVDEV_SIZE);
  return Enter("_ReadRevDev");
}
#endif

#ifndef TESSIL_RECORDING_OMIT_GetIDValue
uint8_t tessil_GetIDValue(uint8_t* value, uint8_t index, int32_t kind) {
  uint8_t result = Enter("_GetIDValue", index, kind);
  if (index < TESSIL_ID_BYTES) *value = Recorder().id[Slot(kind)][index];
  return result;
}
#endif

#ifndef TESSIL_RECORDING_OMIT_SetIDValue
uint8_t tessil_SetIDValue(uint8_t index, uint8_t value, int32_t kind) {
  uint8_t result = Enter("_SetIDValue", index, value, kind);
  if (index < TESSIL_ID_BYTES) Recorder().id[Slot(kind)][index] = value;
  return result;
}
#endif

#ifndef TESSIL_RECORDING_OMIT_ComputeGeneralChecksum
uint8_t tessil_ComputeGeneralChecksum(uint16_t* checksum, int32_t kind) {
  uint8_t result = Enter("_ComputeGeneralChecksum", kind);
  *checksum = Recorder().checksum[Slot(kind)];
  return result;
}
#endif

#ifndef TESSIL_RECORDING_OMIT_IsHWPresent
uint8_t tessil_IsHWPresent(void) {
  return Enter("_IsHWPresent");
}
#endif

#ifndef TESSIL_RECORDING_OMIT_InitHardware
uint8_t tessil_InitHardware(void) {
  return Enter("_InitHardware");
}
#endif

#ifndef TESSIL_RECORDING_OMIT_PowerOn
uint8_t tessil_PowerOn(void) {
  return Enter("_PowerOn");
}
#endif

#ifndef TESSIL_RECORDING_OMIT_PowerOff
uint8_t tessil_PowerOff(void) {
  return Enter("_PowerOff");
}
#endif

#ifndef TESSIL_RECORDING_OMIT_ShowSettings
uint8_t tessil_ShowSettings(uintptr_t owner) {
  return Enter("_ShowSettings", owner);
}
#endif

#ifndef TESSIL_RECORDING_OMIT_ShowConfig
uint8_t tessil_ShowConfig(uintptr_t owner, int32_t kind) {
  return Enter("_ShowConfig", owner, kind);
}
#endif

#ifndef TESSIL_RECORDING_OMIT_DoBulkErase
uint8_t tessil_DoBulkErase(uintptr_t owner) {
  return Enter("_DoBulkErase", owner);
}
#endif

#ifndef TESSIL_RECORDING_OMIT_RunTarget
uint8_t tessil_RunTarget(void) {
  return Enter("_RunTarget");
}
#endif

#ifdef TESSIL_RECORDING_SHARED
// Lets a test that dlopens the library reach the state behind its entry points.
TESSIL_VISIBLE tessil::fakes::RecorderState* recorder_state(void) {
  return &Recorder();
}
#endif

}  // extern "C"

#ifndef TESSIL_RECORDING_SHARED
namespace tessil::fakes {
namespace {

struct Entry {
  const char* name;
  void* function;
};

#define TESSIL_RECORDING_ENTRY(name, params, args) \
  {"_" #name, reinterpret_cast<void*>(&tessil_##name)},
const Entry kEntries[] = {TESSIL_PLUGIN_ENTRIES(TESSIL_RECORDING_ENTRY)};
#undef TESSIL_RECORDING_ENTRY

class InProcessLibrary : public Library {
 public:
  explicit InProcessLibrary(std::string missing) : missing_(std::move(missing)) {}

  void* Symbol(const char* name) override {
    if (missing_ == name) return nullptr;
    for (const Entry& entry : kEntries) {
      if (std::strcmp(entry.name, name) == 0) return entry.function;
    }
    return nullptr;
  }

 private:
  std::string missing_;
};

}  // namespace

LibraryOpener InProcessOpener() {
  return [](const std::string& path) -> std::unique_ptr<Library> {
    if (path == "unloadable") return nullptr;
    constexpr std::string_view kMissing = "missing:";
    std::string missing = path.starts_with(kMissing) ? path.substr(kMissing.size()) : "";
    return std::make_unique<InProcessLibrary>(std::move(missing));
  };
}

}  // namespace tessil::fakes
#endif
