#include "tests/pic18sim/test_support.h"

#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <array>
#include <cctype>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace pic18sim::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "pic18sim-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

CommandResult Run(const std::string& command) {
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (!pipe) throw std::runtime_error("cannot run " + command);
  std::string output;
  std::array<char, 4096> buffer;
  while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
    output.append(buffer.data(), n);
  int status = ::pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

std::string ReadText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteText(const std::filesystem::path& file, std::string_view text) {
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::filesystem::path Assemble(const std::filesystem::path& folder, const std::string& name,
                               const std::string& processor, const std::string& source) {
  std::filesystem::path asm_file = folder / (name + ".asm");
  std::filesystem::path hex_file = folder / (name + ".hex");
  WriteText(asm_file, source);
  CommandResult r =
      Run("gpasm -q -p " + processor + " -o " + hex_file.string() + " " + asm_file.string());
  if (r.exit_code != 0) throw std::runtime_error("gpasm failed: " + r.output);
  return hex_file;
}

std::string SampleProgram(const std::string& processor, std::uint32_t program_bytes,
                          const std::string& config_lines) {
  char last[32];
  std::snprintf(last, sizeof last, "0x%X", program_bytes - 4);
  return "    LIST P=" + processor + "\n    #include <p" + processor + ".inc>\n" + config_lines +
         "    ORG 0\n    goto start\n"
         "    ORG 0x8\n    retfie FAST\n"
         "start:\n    movlw 0x5A\n    movwf PORTB\n    bra start\n"
         "    ORG " +
         last +
         "\n    nop\n    reset\n"
         "    __idlocs _IDLOC0, 0x1\n    __idlocs _IDLOC1, 0x2\n    __idlocs _IDLOC2, 0x3\n"
         "    __idlocs _IDLOC3, 0x4\n    __idlocs _IDLOC4, 0x5\n    __idlocs _IDLOC5, 0x6\n"
         "    __idlocs _IDLOC6, 0x7\n    __idlocs _IDLOC7, 0xF\n"
         "    ORG 0xF00000\n    DE \"EEPROM\", 0x00, 0x7F\n"
         "    END\n";
}

}  // namespace pic18sim::test
