// A device plug-in for tests: every result is scripted, every call is logged
// with its arguments. The same source serves in-process (through InProcessOpener,
// as an entry table) and as real shared libraries built from it.
//
// Log format: the exported name, then the non-pointer arguments in brackets,
// comma-separated, decimal; a path argument as its text:
//   "_InitHardware", "_GetMemorySize(1)", "_GetMemoryBuffer(0)", "_GetIDValue(3,1)",
//   "_SetIDValue(0,1,0)", "_ShowDLL(23063)", "_ParseFile(/tmp/a.hex)", "_UnParseFile(/tmp/a.hex,0)"
#pragma once

#include "plugin/plugin_host.h"

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

namespace tessil::fakes {

struct RecorderState {
  std::vector<std::string> log;
  // Result of each entry point by exported name ("_ReadMem"); 0 when not given.
  std::map<std::string, std::uint8_t> result;
  // Results used once each, before `result`, for entry points whose answer changes.
  std::map<std::string, std::deque<std::uint8_t>> resultQueue;
  // What _GetMemorySize reports per kind.
  std::array<std::uint32_t, 2> size{0, 0};
  // The plug-in's two images. _GetMemoryBuffer writes exactly size[kind] words
  // (0xFFFF past the end of image[kind]); _SetMemoryBuffer reads exactly
  // size[kind] words into image[kind].
  std::array<std::vector<std::uint16_t>, 2> image;
  std::array<std::array<std::uint8_t, 8>, 2> id{};
  std::array<std::uint16_t, 2> checksum{0, 0};

  void Reset() { *this = RecorderState{}; }
  // The log since the last call, then cleared.
  std::vector<std::string> TakeLog();
};

// The state behind the in-process entry points.
RecorderState& Recorder();

// Opens the in-process recording plug-in for any path; a path naming one of
// the 24 entry points ("missing:_ReadID") gives a table that lacks that name,
// and "unloadable" gives no library.
LibraryOpener InProcessOpener();

}  // namespace tessil::fakes
