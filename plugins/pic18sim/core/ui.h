// What the simulator asks of its user interface. The defaults are a host without dialogs:
// progress is not shown and never cancelled, dialogs change nothing, errors go to stderr.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "plugins/pic18sim/core/config_header.h"
#include "plugins/pic18sim/core/device.h"
#include "plugins/pic18sim/core/image.h"
#include "plugins/pic18sim/core/sim_settings.h"

namespace pic18sim {

// What the configuration-bits dialog shows and edits.
struct ConfigForm {
  const Device* device = nullptr;
  std::string title;                    // "Configuration bits - PIC18F452 (file image)"
  ConfigBytes config{};                 // the image's bytes
  std::vector<ConfigSetting> settings;  // empty: edit the bytes themselves
};

class Ui {
 public:
  virtual ~Ui() = default;

  // A device operation of `steps` steps starts, has done `done` of them, ends. Progress() is
  // called after every step and returns false once the user has asked to cancel.
  virtual void BeginProgress(std::string_view /*title*/, std::uint32_t /*steps*/) {}
  virtual bool Progress(std::uint32_t /*done*/) { return true; }
  virtual void EndProgress() {}

  // Modal dialogs owned by the host's window `owner`; nullopt when cancelled.
  virtual std::optional<SettingsForm> EditSettings(std::uintptr_t /*owner*/,
                                                   const SettingsForm& /*form*/) {
    return std::nullopt;
  }
  virtual std::optional<ConfigBytes> EditConfig(std::uintptr_t /*owner*/,
                                                const ConfigForm& /*form*/) {
    return std::nullopt;
  }

  virtual void ReportError(std::string_view text) {
    std::fprintf(stderr, "pic18sim: %.*s\n", static_cast<int>(text.size()), text.data());
  }
};

}  // namespace pic18sim
