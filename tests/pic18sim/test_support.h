// Helpers for the simulated programmer's tests: a scratch folder, running tools, assembling.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "settings/memory_store.h"

namespace pic18sim::test {

// A fresh folder under $TMPDIR, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

struct CommandResult {
  int exit_code;
  std::string output;  // stdout and stderr
};
CommandResult Run(const std::string& command);

std::string ReadText(const std::filesystem::path& file);
void WriteText(const std::filesystem::path& file, std::string_view text);

// Assembles `source` with gpasm for `processor` ("18f452") into folder/name.hex.
std::filesystem::path Assemble(const std::filesystem::path& folder, const std::string& name,
                               const std::string& processor, const std::string& source);

// A small program for `processor` with code at both ends of program memory, an interrupt
// vector, the ID locations, data EEPROM and the given CONFIG lines.
std::string SampleProgram(const std::string& processor, std::uint32_t program_bytes,
                          const std::string& config_lines);

}  // namespace pic18sim::test
