// The simulated PIC18 programmer: a programmer with a chip in its socket, everything real except
// the wires. Its member functions are the plug-in's 24 entry points, with the same names,
// arguments and result codes; the plug-in library only forwards to one Simulator.
//
// Hardware model. _InitHardware sets the port up and switches the chip's supplies off;
// _PowerOn applies them (programmer connected, port set up); _PowerOff removes them. A chip
// answers while the programmer is connected, a chip is inserted and the power is on: only then
// do the device operations reach it. Outside that bracket:
//   _ReadMem            reports the missing chip and gives 10: the read is abandoned and the
//                       chip image stays as it was;
//   _ProgramMem/Config/ID  write into nothing, so the read-back differs: 5;
//   _ReadConfig, _ReadID, _DoBulkErase, _ReadRevDev  do nothing and give kNoAnswer.
// _IsHWPresent gives 8 unless the port is set up and the programmer connected.
//
// The chip's contents live in an INHX32 file (with the device ID at 0x3FFFFE), rewritten
// atomically after every change, so a programmed chip is still programmed at the next start.
// Changing the chip type puts the chip aside as spare-<TYPE>.hex beside it and takes the spare
// of the new type (or a new, erased chip) out.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "plugins/pic18sim/core/chip.h"
#include "plugins/pic18sim/core/device.h"
#include "plugins/pic18sim/core/image.h"
#include "plugins/pic18sim/core/sim_settings.h"
#include "plugins/pic18sim/core/ui.h"
#include "settings/settings.h"

namespace pic18sim {

// Results beside the ones the program tests (tessil/plugin.h).
inline constexpr std::uint8_t kOk = 0;
inline constexpr std::uint8_t kNoAnswer = 2;  // no chip or programmer answered, or a bad argument

// $XDG_DATA_HOME/tessil/pic18sim/chip.hex; $HOME/.local/share stands in when XDG_DATA_HOME is
// unset, empty or not absolute.
std::filesystem::path DefaultChipPath();

struct SimulatorOptions {
  std::filesystem::path chip_file = DefaultChipPath();
  // The program's settings store; none means the defaults, and the settings dialog saves nothing.
  std::function<std::unique_ptr<tessil::Store>()> open_store;
  Ui* ui = nullptr;  // none: a Ui with its defaults
  std::filesystem::path header_folder = "/usr/share/gputils/header";
};

// One entry-point call as the log keeps it: "_ProgramMem", "0", 5.
struct Call {
  std::string name;
  std::string args;
  std::uint8_t result;

  bool operator==(const Call&) const = default;
};

class Simulator {
 public:
  static constexpr std::size_t kCallLogLimit = 10000;  // the oldest calls are dropped beyond it
  static constexpr std::uint32_t kRowBytes = 64;       // program and EEPROM are written row by row
  static constexpr std::uint32_t kEraseRows = 8;       // a bulk erase takes as long as 8 rows

  // Reads the switches from the store and the chip from its file.
  explicit Simulator(SimulatorOptions options);

  // The entry points.
  std::uint8_t ShowDLL(std::uintptr_t owner);
  std::uint8_t ParseFile(const char* path);
  std::uint8_t GetMemorySize(std::uint32_t* count, std::int32_t kind);
  std::uint8_t GetMemoryBuffer(std::uint16_t* words, std::int32_t kind);
  std::uint8_t SetMemoryBuffer(const std::uint16_t* words, std::int32_t kind);
  std::uint8_t UnParseFile(const char* path, std::int32_t kind);
  std::uint8_t ProgramMem(std::int32_t kind);
  std::uint8_t ProgramConfig(std::int32_t kind);
  std::uint8_t ProgramID(std::int32_t kind);
  std::uint8_t ReadMem();
  std::uint8_t ReadConfig();
  std::uint8_t ReadID();
  std::uint8_t ReadRevDev(std::uint8_t* area);
  std::uint8_t GetIDValue(std::uint8_t* value, std::uint8_t index, std::int32_t kind);
  std::uint8_t SetIDValue(std::uint8_t index, std::uint8_t value, std::int32_t kind);
  std::uint8_t ComputeGeneralChecksum(std::uint16_t* checksum, std::int32_t kind);
  std::uint8_t IsHWPresent();
  std::uint8_t InitHardware();
  std::uint8_t PowerOn();
  std::uint8_t PowerOff();
  std::uint8_t ShowSettings(std::uintptr_t owner);
  std::uint8_t ShowConfig(std::uintptr_t owner, std::int32_t kind);
  std::uint8_t DoBulkErase(std::uintptr_t owner);
  std::uint8_t RunTarget();

  // The switches act at once; only the settings dialog also stores them.
  const Switches& switches() const { return switches_; }
  void SetConnected(bool connected) { switches_.connected = connected; }
  void SetInserted(bool inserted) { switches_.inserted = inserted; }
  void SetVerifyFault(bool fault) { switches_.verify_fault = fault; }
  void SetRowTime(std::chrono::microseconds time);
  // Swaps the chip in the socket for one of that type and fits both images to it; false for an
  // unknown type.
  bool SelectChip(std::string_view type);
  void ApplySwitches(const Switches& switches);

  const Device& device() const { return chip_.device(); }
  const Chip& chip() const { return chip_; }
  // Kind 0 (file image) or 1 (chip image); nullptr for any other kind.
  const Image* image(std::int32_t kind) const;
  bool powered() const { return powered_; }
  bool target_running() const { return running_; }
  bool ChipAnswers() const { return switches_.connected && switches_.inserted && powered_; }
  const std::filesystem::path& chip_file() const { return options_.chip_file; }
  // Why the last _ParseFile or _UnParseFile failed ("<file>: line 3: bad checksum").
  const std::string& last_file_error() const { return last_file_error_; }

  const std::deque<Call>& call_log() const { return calls_; }
  void ClearCallLog() { calls_.clear(); }

 private:
  class ProgressScope;

  std::uint8_t Record(std::string name, std::string args, std::uint8_t result);
  Image* MutableImage(std::int32_t kind);
  void Wait(std::chrono::microseconds time) const;
  void LoadChip();
  std::optional<Chip> TakeChip(const std::filesystem::path& file, const Device& wanted);
  std::optional<Chip> ReadChipFile(const std::filesystem::path& file, const Device& wanted,
                                   std::string& error) const;
  void SaveChip(const std::filesystem::path& file, const Chip& chip);
  std::filesystem::path SparePath(const Device& device) const;

  SimulatorOptions options_;
  Ui default_ui_;
  Ui& ui_;
  Switches switches_;
  Chip chip_;
  std::array<Image, 2> images_;
  bool initialised_ = false;
  bool powered_ = false;
  bool running_ = false;
  std::string last_file_error_;
  std::deque<Call> calls_;
};

}  // namespace pic18sim
