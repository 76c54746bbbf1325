// Where the recording plug-in's real shared libraries are built, and a look
// into one that the process has loaded. Tests run with TESSIL_BUILD_DIR set.
#pragma once

#include <string>
#include <string_view>

#include "tests/fakes/recording_plugin.h"

namespace tessil::fakes {

// librecording.so: exports all 24 entry points and recorder_state().
std::string RecordingLibraryPath();
// librecording_missing_<Name>.so: lacks the entry point named ("_ReadID" or "ReadID").
std::string RecordingLibraryMissingPath(std::string_view entry);
// A file with a library's name that is no library.
std::string NotALibraryPath();

// True when the library at path is mapped in this process.
bool IsLoaded(const std::string& path);
// The state behind a loaded recording library's entry points; null when the
// library is not loaded. Valid until that library is unloaded.
RecorderState* LoadedRecorder(const std::string& path);

}  // namespace tessil::fakes
