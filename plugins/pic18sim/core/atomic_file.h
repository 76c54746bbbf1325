#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace pic18sim {

// Replaces `file` with `contents` so that a crash at any point leaves either the old or the new
// file whole: a temporary file in the same folder, written and fsync'ed, renamed over the old
// one, then the folder fsync'ed. Creates missing parent folders. Returns an empty string on
// success, else a message naming the file and the reason; the old file is then untouched.
std::string WriteFileAtomically(const std::filesystem::path& file, std::string_view contents);

}  // namespace pic18sim
