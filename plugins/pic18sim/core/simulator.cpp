#include "plugins/pic18sim/core/simulator.h"

#include <pwd.h>
#include <tessil/plugin.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <span>
#include <thread>

#include "plugins/pic18sim/core/atomic_file.h"
#include "plugins/pic18sim/core/config_header.h"
#include "plugins/pic18sim/core/intel_hex.h"

namespace pic18sim {
namespace {

// The interface's result codes, typed as the entry points return them.
constexpr std::uint8_t kRefused = TESSIL_REFUSED;
constexpr std::uint8_t kVerifyFailed = TESSIL_VERIFY_FAILED;
constexpr std::uint8_t kLocked = TESSIL_LOCKED;
constexpr std::uint8_t kDeviceFound = TESSIL_DEVICE_FOUND;
constexpr std::uint8_t kHwAbsent = TESSIL_HW_ABSENT;
constexpr std::uint8_t kAborted = TESSIL_ABORTED;
constexpr std::uint8_t kBlank = TESSIL_BLANK;

std::string Args(std::initializer_list<long long> values) {
  std::string text;
  for (long long v : values) {
    if (!text.empty()) text += ',';
    text += std::to_string(v);
  }
  return text;
}

std::string Quoted(const char* path) {
  if (!path) return "null";
  std::string quoted(1, '"');
  return quoted.append(path).append(1, '"');
}

std::filesystem::path HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  const passwd* entry = ::getpwuid(::getuid());
  return entry && entry->pw_dir ? entry->pw_dir : "/tmp";
}

}  // namespace

std::filesystem::path DefaultChipPath() {
  const char* data = std::getenv("XDG_DATA_HOME");
  std::filesystem::path base = data && *data && data[0] == '/' ? std::filesystem::path(data)
                                                               : HomeFolder() / ".local" / "share";
  return base / "tessil" / "pic18sim" / "chip.hex";
}

// Shows a device operation's progress and tells whether the user cancelled it.
class Simulator::ProgressScope {
 public:
  ProgressScope(Ui& ui, std::string_view title, std::uint32_t steps) : ui_(ui) {
    ui_.BeginProgress(title, steps);
  }
  ~ProgressScope() { ui_.EndProgress(); }
  // False once the user has cancelled.
  bool Step() { return ui_.Progress(++done_); }

 private:
  Ui& ui_;
  std::uint32_t done_ = 0;
};

Simulator::Simulator(SimulatorOptions options)
    : options_(std::move(options)),
      ui_(options_.ui ? *options_.ui : default_ui_),
      chip_(DefaultDevice()) {
  if (options_.open_store) {
    try {
      switches_ = LoadSettings(*options_.open_store()).switches;
    } catch (const std::exception& e) {
      ui_.ReportError(
          std::string("The simulator's settings could not be read, the defaults stand in: ") +
          e.what());
    }
  }
  LoadChip();
}

std::uint8_t Simulator::Record(std::string name, std::string args, std::uint8_t result) {
  if (calls_.size() == kCallLogLimit) calls_.pop_front();
  calls_.push_back({std::move(name), std::move(args), result});
  return result;
}

Image* Simulator::MutableImage(std::int32_t kind) {
  return kind == 0 || kind == 1 ? &images_[static_cast<std::size_t>(kind)] : nullptr;
}

const Image* Simulator::image(std::int32_t kind) const {
  return kind == 0 || kind == 1 ? &images_[static_cast<std::size_t>(kind)] : nullptr;
}

void Simulator::Wait(std::chrono::microseconds time) const {
  if (time.count() > 0) std::this_thread::sleep_for(time);
}

void Simulator::SetRowTime(std::chrono::microseconds time) {
  switches_.row_time_us =
      static_cast<std::uint32_t>(std::clamp<std::int64_t>(time.count(), 0, UINT32_MAX));
}

// --- the chip's file --------------------------------------------------------------------------

std::filesystem::path Simulator::SparePath(const Device& device) const {
  return options_.chip_file.parent_path() / ("spare-" + std::string(device.name) + ".hex");
}

std::optional<Chip> Simulator::ReadChipFile(const std::filesystem::path& file, const Device& wanted,
                                            std::string& error) const {
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return std::nullopt;  // no chip yet
  std::ifstream in(file, std::ios::binary);
  std::string text(std::istreambuf_iterator<char>(in), {});
  if (!in && !in.eof()) {
    error = file.string() + ": " + std::strerror(errno);
    return std::nullopt;
  }
  // The device ID inside tells the part; a file without one is taken for the part wanted.
  std::vector<const Device*> candidates = {&wanted};
  for (const Device& d : Devices()) {
    if (&d != &wanted) candidates.push_back(&d);
  }
  for (const Device* device : candidates) {
    HexResult hex = ParseHex(text, *device, true);
    if (!hex.ok()) {
      if (device == &wanted) error = file.string() + ": " + hex.error;
      continue;
    }
    if (hex.device_id ? FindDeviceById(*hex.device_id) == device : device == &wanted) {
      error.clear();
      return Chip(*device, std::move(hex.image));
    }
  }
  if (error.empty()) error = file.string() + ": the device ID names no known part";
  return std::nullopt;
}

void Simulator::SaveChip(const std::filesystem::path& file, const Chip& chip) {
  std::string error =
      WriteFileAtomically(file, FormatHex(chip.cells(), chip.device(), chip.device_id()));
  if (!error.empty()) ui_.ReportError("The simulated chip could not be saved: " + error);
}

std::optional<Chip> Simulator::TakeChip(const std::filesystem::path& file, const Device& wanted) {
  std::string error;
  std::optional<Chip> chip = ReadChipFile(file, wanted, error);
  if (!chip && !error.empty()) {
    // Keep the unreadable file for the user rather than overwrite it later.
    std::filesystem::path kept = file;
    kept += ".unreadable";
    std::error_code ec;
    std::filesystem::rename(file, kept, ec);
    ui_.ReportError(error + "\nIt was " + (ec ? "left as it is" : "kept as " + kept.string()) +
                    "; an erased " + std::string(wanted.name) + " is in the socket.");
  }
  return chip;
}

void Simulator::LoadChip() {
  const Device* wanted = FindDevice(switches_.chip);
  if (!wanted) wanted = &DefaultDevice();
  switches_.chip = std::string(wanted->name);
  chip_ = TakeChip(options_.chip_file, *wanted).value_or(Chip(*wanted));
  images_ = {ErasedImage(chip_.device()), ErasedImage(chip_.device())};
  // A chip of another type in the socket is put aside for the one selected.
  if (&chip_.device() != wanted) SelectChip(wanted->name);
}

bool Simulator::SelectChip(std::string_view type) {
  const Device* device = FindDevice(type);
  if (!device) return false;
  switches_.chip = std::string(device->name);
  if (device == &chip_.device()) return true;
  SaveChip(SparePath(chip_.device()), chip_);
  std::optional<Chip> spare = TakeChip(SparePath(*device), *device);
  chip_ = spare && &spare->device() == device ? std::move(*spare) : Chip(*device);
  SaveChip(options_.chip_file, chip_);
  for (Image& image : images_) image = FitImage(image, *device);
  return true;
}

void Simulator::ApplySwitches(const Switches& switches) {
  Switches applied = switches;
  applied.chip = switches_.chip;
  switches_ = applied;
  SelectChip(switches.chip);
}

// --- images and files -------------------------------------------------------------------------

std::uint8_t Simulator::ShowDLL(std::uintptr_t owner) {
  return Record("_ShowDLL", Args({static_cast<long long>(owner)}), kOk);
}

std::uint8_t Simulator::ParseFile(const char* path) {
  std::uint8_t result = kRefused;
  if (!path) {
    last_file_error_ = "no file name given";
  } else if (HexResult hex = ReadHexFile(path, device()); !hex.ok()) {
    last_file_error_ = hex.error;
  } else {
    images_[0] = std::move(hex.image);
    last_file_error_.clear();
    result = kOk;
  }
  // The program tells the user the file was refused; the reason goes to the log.
  if (result != kOk)
    std::fprintf(stderr, "pic18sim: HEX file refused: %s\n", last_file_error_.c_str());
  return Record("_ParseFile", Quoted(path), result);
}

std::uint8_t Simulator::UnParseFile(const char* path, std::int32_t kind) {
  std::uint8_t result = kRefused;
  const Image* source = image(kind);
  if (!path || !*path || !source) {
    last_file_error_ = source ? "no file name given" : "no image of kind " + std::to_string(kind);
  } else {
    last_file_error_ = WriteFileAtomically(path, FormatHex(*source, device()));
    if (last_file_error_.empty()) result = kOk;
  }
  if (result != kOk)
    std::fprintf(stderr, "pic18sim: HEX file not written: %s\n", last_file_error_.c_str());
  return Record("_UnParseFile", Quoted(path) + "," + std::to_string(kind), result);
}

std::uint8_t Simulator::GetMemorySize(std::uint32_t* count, std::int32_t kind) {
  bool ok = count && image(kind);
  if (ok) *count = device().words();
  return Record("_GetMemorySize", Args({kind}), ok ? kOk : kNoAnswer);
}

std::uint8_t Simulator::GetMemoryBuffer(std::uint16_t* words, std::int32_t kind) {
  const Image* source = image(kind);
  if (words && source) CopyWords(*source, std::span(words, device().words()));
  return Record("_GetMemoryBuffer", Args({kind}), words && source ? kOk : kNoAnswer);
}

std::uint8_t Simulator::SetMemoryBuffer(const std::uint16_t* words, std::int32_t kind) {
  Image* target = MutableImage(kind);
  if (words && target) SetWords(*target, std::span(words, device().words()));
  return Record("_SetMemoryBuffer", Args({kind}), words && target ? kOk : kNoAnswer);
}

std::uint8_t Simulator::GetIDValue(std::uint8_t* value, std::uint8_t index, std::int32_t kind) {
  const Image* source = image(kind);
  bool ok = value && source && index < kIdBytes;
  if (ok) *value = source->id[index];
  return Record("_GetIDValue", Args({index, kind}), ok ? kOk : kNoAnswer);
}

std::uint8_t Simulator::SetIDValue(std::uint8_t index, std::uint8_t value, std::int32_t kind) {
  Image* target = MutableImage(kind);
  bool ok = target && index < kIdBytes;
  if (ok) target->id[index] = value;
  return Record("_SetIDValue", Args({index, value, kind}), ok ? kOk : kNoAnswer);
}

std::uint8_t Simulator::ComputeGeneralChecksum(std::uint16_t* checksum, std::int32_t kind) {
  const Image* source = image(kind);
  if (checksum && source) *checksum = Checksum(*source, device());
  return Record("_ComputeGeneralChecksum", Args({kind}), checksum && source ? kOk : kNoAnswer);
}

// --- the hardware -----------------------------------------------------------------------------

std::uint8_t Simulator::InitHardware() {
  initialised_ = true;
  powered_ = false;
  running_ = false;
  return Record("_InitHardware", "", kOk);
}

std::uint8_t Simulator::IsHWPresent() {
  return Record("_IsHWPresent", "", initialised_ && switches_.connected ? kOk : kHwAbsent);
}

std::uint8_t Simulator::PowerOn() {
  powered_ = initialised_ && switches_.connected;
  if (powered_) running_ = false;
  return Record("_PowerOn", "", powered_ ? kOk : kNoAnswer);
}

std::uint8_t Simulator::PowerOff() {
  powered_ = false;
  return Record("_PowerOff", "", kOk);
}

std::uint8_t Simulator::RunTarget() {
  // The programmer lets go of MCLR and leaves the supply on: the chip runs its program.
  running_ = initialised_ && switches_.connected && switches_.inserted;
  if (running_) powered_ = false;
  return Record("_RunTarget", "", running_ ? kOk : kNoAnswer);
}

std::uint8_t Simulator::ReadRevDev(std::uint8_t* area) {
  if (area) std::memset(area, 0, TESSIL_REVDEV_SIZE);
  bool found = area && ChipAnswers();
  // The name, zero-terminated within the area.
  if (found) std::ranges::copy(device().name.substr(0, TESSIL_REVDEV_SIZE - 1), area);
  return Record("_ReadRevDev", "", found ? kDeviceFound : kNoAnswer);
}

// --- the device operations --------------------------------------------------------------------

std::uint8_t Simulator::ReadMem() {
  auto done = [&](std::uint8_t result) { return Record("_ReadMem", "", result); };
  if (!ChipAnswers()) {
    ui_.ReportError(
        "No chip answers: check that the programmer is connected and a chip is in the socket.");
    return done(kAborted);
  }
  const std::uint32_t rows = (device().program_bytes + device().eeprom_bytes) / kRowBytes;
  const std::chrono::microseconds row_time(switches_.row_time_us / 4);
  {
    ProgressScope progress(ui_, "Reading the " + std::string(device().name), rows);
    for (std::uint32_t r = 0; r < rows; ++r) {
      Wait(row_time);
      if (!progress.Step()) return done(kAborted);
    }
  }
  Image read = chip_.Read();
  images_[1].program = std::move(read.program);
  images_[1].eeprom = std::move(read.eeprom);
  return done(chip_.Blank() ? kBlank : kOk);
}

std::uint8_t Simulator::ReadConfig() {
  if (!ChipAnswers()) return Record("_ReadConfig", "", kNoAnswer);
  images_[1].config = chip_.cells().config;
  return Record("_ReadConfig", "", chip_.CodeProtected() ? kLocked : kOk);
}

std::uint8_t Simulator::ReadID() {
  if (!ChipAnswers()) return Record("_ReadID", "", kNoAnswer);
  images_[1].id = chip_.cells().id;
  return Record("_ReadID", "", kOk);
}

std::uint8_t Simulator::ProgramMem(std::int32_t kind) {
  auto done = [&](std::uint8_t result) { return Record("_ProgramMem", Args({kind}), result); };
  if (!image(kind)) return done(kNoAnswer);
  if (!ChipAnswers()) return done(kVerifyFailed);  // the read-back finds no chip
  // A copy: the progress window lets events run, and nothing they do may pull the image away.
  const Image source = *image(kind);
  const std::uint32_t program_rows = device().program_bytes / kRowBytes;
  const std::uint32_t rows = program_rows + device().eeprom_bytes / kRowBytes;
  const std::chrono::microseconds row_time(switches_.row_time_us);
  ProgressScope progress(ui_, "Programming the " + std::string(device().name), 2 * rows);
  auto stop = [&] {
    SaveChip(options_.chip_file, chip_);
    return done(kAborted);
  };
  for (std::uint32_t r = 0; r < rows; ++r) {
    if (r < program_rows) {
      chip_.WriteProgram(r * kRowBytes,
                         std::span(source.program).subspan(r * kRowBytes, kRowBytes));
    } else {
      std::uint32_t at = (r - program_rows) * kRowBytes;
      chip_.WriteEeprom(at, std::span(source.eeprom).subspan(at, kRowBytes));
    }
    if (r == 0 && switches_.verify_fault) {
      const std::uint8_t weak = source.program[0] ^ 0x01;  // a cell that does not take its value
      chip_.WriteProgram(0, std::span(&weak, 1));
    }
    Wait(row_time);
    if (!progress.Step()) return stop();
  }
  for (std::uint32_t r = 0; r < rows; ++r) {
    Wait(row_time / 4);
    if (!progress.Step()) return stop();
  }
  SaveChip(options_.chip_file, chip_);
  Image read = chip_.Read();
  bool same = read.program == source.program && read.eeprom == source.eeprom;
  return done(same ? kOk : kVerifyFailed);
}

std::uint8_t Simulator::ProgramConfig(std::int32_t kind) {
  auto done = [&](std::uint8_t result) { return Record("_ProgramConfig", Args({kind}), result); };
  const Image* source = image(kind);
  if (!source) return done(kNoAnswer);
  if (!ChipAnswers()) return done(kVerifyFailed);
  chip_.WriteConfig(source->config);
  SaveChip(options_.chip_file, chip_);
  for (std::size_t i = 0; i < kConfigBytes; ++i) {
    if (chip_.cells().config[i] != (source->config[i] & device().config[i].mask))
      return done(kVerifyFailed);
  }
  return done(kOk);
}

std::uint8_t Simulator::ProgramID(std::int32_t kind) {
  auto done = [&](std::uint8_t result) { return Record("_ProgramID", Args({kind}), result); };
  const Image* source = image(kind);
  if (!source) return done(kNoAnswer);
  if (!ChipAnswers()) return done(kVerifyFailed);
  chip_.WriteId(source->id);
  SaveChip(options_.chip_file, chip_);
  return done(chip_.cells().id == source->id ? kOk : kVerifyFailed);
}

std::uint8_t Simulator::DoBulkErase(std::uintptr_t owner) {
  auto done = [&](std::uint8_t result) {
    return Record("_DoBulkErase", Args({static_cast<long long>(owner)}), result);
  };
  if (!ChipAnswers()) return done(kNoAnswer);
  {
    // The erase happens at the end, so a cancelled one leaves the chip as it was.
    ProgressScope progress(ui_, "Erasing the " + std::string(device().name), kEraseRows);
    for (std::uint32_t r = 0; r < kEraseRows; ++r) {
      Wait(std::chrono::microseconds(switches_.row_time_us));
      if (!progress.Step()) return done(kAborted);
    }
  }
  chip_.BulkErase();
  SaveChip(options_.chip_file, chip_);
  return done(kOk);
}

// --- dialogs ----------------------------------------------------------------------------------

std::uint8_t Simulator::ShowSettings(std::uintptr_t owner) {
  SettingsForm form;
  std::unique_ptr<tessil::Store> store;
  try {
    if (options_.open_store) {
      store = options_.open_store();
      form = LoadSettings(*store);
    }
  } catch (const std::exception& e) {
    ui_.ReportError(std::string("The settings could not be read: ") + e.what());
    store.reset();
  }
  form.switches = switches_;
  if (std::optional<SettingsForm> edited = ui_.EditSettings(owner, form)) {
    ApplySwitches(edited->switches);
    try {
      if (!store) throw std::runtime_error("there is no readable settings store");
      SaveSettings(*store, *edited);
    } catch (const std::exception& e) {
      ui_.ReportError(std::string("The settings could not be saved: ") + e.what() +
                      "\nThe simulation's switches apply until the plug-in is unloaded.");
    }
  }
  return Record("_ShowSettings", Args({static_cast<long long>(owner)}), kOk);
}

std::uint8_t Simulator::ShowConfig(std::uintptr_t owner, std::int32_t kind) {
  auto done = [&](std::uint8_t result) {
    return Record("_ShowConfig", Args({static_cast<long long>(owner), kind}), result);
  };
  Image* target = MutableImage(kind);
  if (!target) return done(kNoAnswer);
  ConfigForm form;
  form.device = &device();
  form.title = "Configuration bits - " + std::string(device().name) +
               (kind == 0 ? " (file image)" : " (chip image)");
  form.config = target->config;
  form.settings = LoadConfigSettings(options_.header_folder, device());
  // The dialog may let events run; it edits a copy that is stored only on OK.
  if (std::optional<ConfigBytes> edited = ui_.EditConfig(owner, form)) {
    if (Image* again = MutableImage(kind)) again->config = *edited;
  }
  return done(kOk);
}

}  // namespace pic18sim
