// The simulated programmer's INHX32 parser and writer on a 128 KB file: the whole 65536-word
// program memory of a PIC18F6720, no row erased, plus its EEPROM, ID and configuration.
//
//   bench_pic18sim_hex --write-sample FILE   writes that file and exits (used by compare-hex)
//   PIC18SIM_HEX_FILE=FILE bench_pic18sim_hex   parses FILE instead of its own sample
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "plugins/pic18sim/core/atomic_file.h"
#include "plugins/pic18sim/core/intel_hex.h"

namespace {

using namespace pic18sim;

const Device& Part() {
  return *FindDevice("PIC18F6720");
}

const Image& Sample() {
  static const Image image = [] {
    std::mt19937 random(2024);
    Image image = ErasedImage(Part());
    for (auto& b : image.program)
      b = static_cast<std::uint8_t>(random() % 0xFF);  // never 0xFF rows
    for (auto& b : image.eeprom) b = static_cast<std::uint8_t>(random());
    for (auto& b : image.id) b = static_cast<std::uint8_t>(random());
    return image;
  }();
  return image;
}

// The file parsed: PIC18SIM_HEX_FILE, or the sample written once to a temporary file.
const std::filesystem::path& SampleFile() {
  static const std::filesystem::path file = [] {
    if (const char* given = std::getenv("PIC18SIM_HEX_FILE")) return std::filesystem::path(given);
    std::filesystem::path temp = std::filesystem::temp_directory_path() / "bench_pic18sim_hex.hex";
    if (std::string error = WriteFileAtomically(temp, FormatHex(Sample(), Part()));
        !error.empty()) {
      std::fprintf(stderr, "%s\n", error.c_str());
      std::exit(1);
    }
    return temp;
  }();
  return file;
}

void BM_ParseHexFile(benchmark::State& state) {
  for (auto _ : state) {
    HexResult result = ReadHexFile(SampleFile(), Part());
    if (!result.ok()) state.SkipWithError(result.error.c_str());
    benchmark::DoNotOptimize(result.image.program.data());
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(std::filesystem::file_size(SampleFile())));
}
BENCHMARK(BM_ParseHexFile)->Unit(benchmark::kMicrosecond);

void BM_FormatHex(benchmark::State& state) {
  std::size_t size = 0;
  for (auto _ : state) {
    std::string text = FormatHex(Sample(), Part());
    size = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
}
BENCHMARK(BM_FormatHex)->Unit(benchmark::kMicrosecond);

// What _UnParseFile does: the text, then a durable replacement of the file (fsync included).
void BM_WriteHexFile(benchmark::State& state) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / "bench_pic18sim_out.hex";
  for (auto _ : state) {
    if (std::string error = WriteFileAtomically(file, FormatHex(Sample(), Part()));
        !error.empty()) {
      state.SkipWithError(error.c_str());
    }
  }
  std::filesystem::remove(file);
}
BENCHMARK(BM_WriteHexFile)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--write-sample") == 0) {
    std::string error = WriteFileAtomically(argv[2], FormatHex(Sample(), Part()));
    if (!error.empty()) std::fprintf(stderr, "%s\n", error.c_str());
    return error.empty() ? 0 : 1;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
