// The plug-in's 24 exported entry points: each forwards to the one Simulator of the process.
#define TESSIL_PLUGIN_IMPLEMENTATION
#include <tessil/plugin.h>

#include <cstdio>
#include <exception>
#include <string_view>

#include "plugins/pic18sim/core/program_store.h"
#include "plugins/pic18sim/core/simulator.h"
#include "plugins/pic18sim/qt/qt_ui.h"

namespace {

pic18sim::Simulator& Sim() {
  static pic18sim::qt::QtUi ui;
  static pic18sim::Simulator simulator({.open_store = pic18sim::OpenProgramStore, .ui = &ui});
  return simulator;
}

// What an entry point reports when it could not run at all: the code its caller takes for
// failure.
constexpr std::uint8_t FailureCode(std::string_view name) {
  if (name == "ParseFile" || name == "UnParseFile") return TESSIL_REFUSED;
  if (name == "ProgramMem") return TESSIL_VERIFY_FAILED;
  if (name == "ReadMem") return TESSIL_ABORTED;
  if (name == "IsHWPresent") return TESSIL_HW_ABSENT;
  return pic18sim::kNoAnswer;
}

// No exception may cross into the host's C code.
template <class Call>
std::uint8_t Guarded(std::string_view name, Call call) noexcept {
  try {
    return call();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "pic18sim: _%.*s failed: %s\n", static_cast<int>(name.size()), name.data(),
                 e.what());
  } catch (...) {
    std::fprintf(stderr, "pic18sim: _%.*s failed\n", static_cast<int>(name.size()), name.data());
  }
  return FailureCode(name);
}

}  // namespace

#define PIC18SIM_FORWARD(name, params, args)                \
  uint8_t tessil_##name params {                            \
    return Guarded(#name, [&] { return Sim().name args; }); \
  }
TESSIL_PLUGIN_ENTRIES(PIC18SIM_FORWARD)
#undef PIC18SIM_FORWARD
