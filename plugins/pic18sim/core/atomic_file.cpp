#include "plugins/pic18sim/core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace pic18sim {
namespace {

std::string Failure(const std::filesystem::path& file, int error) {
  return file.string() + ": " + std::strerror(error);
}

bool WriteAll(int fd, std::string_view contents) {
  while (!contents.empty()) {
    ssize_t n = ::write(fd, contents.data(), contents.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    contents.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

std::string WriteFileAtomically(const std::filesystem::path& file, std::string_view contents) {
  std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (ec) return folder.string() + ": " + ec.message();

  // open() with mode 0666 lets the umask decide a new file's permissions, as for any other file
  // the user saves; a file that exists keeps its own.
  std::string temp;
  int fd = -1;
  for (unsigned attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    std::string name = file.filename().string();
    name.insert(0, 1, '.');
    name += ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
    temp = (folder / name).string();
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return Failure(file, errno);
  }
  if (fd < 0) return Failure(file, EEXIST);
  struct stat old {};
  if (::stat(file.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);

  bool written = WriteAll(fd, contents) && ::fsync(fd) == 0;
  int error = errno;
  if (::close(fd) != 0 && written) {
    written = false;
    error = errno;
  }
  if (!written || ::rename(temp.c_str(), file.c_str()) != 0) {
    if (written) error = errno;
    ::unlink(temp.c_str());
    return Failure(file, error);
  }
  // Make the rename itself durable.
  int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return {};
}

}  // namespace pic18sim
