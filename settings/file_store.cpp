#include "settings/file_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>
#include <utility>

namespace tessil {
namespace fs = std::filesystem;
namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kRoot = "HKEY_CURRENT_USER";

std::string Reason(int error) {
  return std::generic_category().message(error);
}

[[noreturn]] void FailOn(const fs::path& path, std::string_view what, int error = errno) {
  throw SettingsError("Cannot " + std::string(what) + " " + path.string() + ": " + Reason(error));
}

// Owns a file descriptor; closing it also drops any flock held through it.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closing is where some file systems report a failed write, so its result counts.
  int Close() { return ::close(std::exchange(fd_, -1)); }

 private:
  int fd_;
};

int Retry(auto call) {
  int result;
  do result = call();
  while (result < 0 && errno == EINTR);
  return result;
}

// One line of the file, taken apart left to right.
class LineParser {
 public:
  LineParser(std::string_view line, const fs::path& file, int number)
      : rest_(line), file_(file), number_(number) {}

  [[noreturn]] void Fail(std::string_view reason) const {
    throw SettingsError("Error in the settings file " + file_.string() + " at line " +
                        std::to_string(number_) + ": " + std::string(reason));
  }

  bool Take(char c) {
    if (rest_.empty() || rest_.front() != c) return false;
    rest_.remove_prefix(1);
    return true;
  }
  bool TakeNoCase(std::string_view word) {
    if (rest_.size() < word.size() || !EqualsNoCase(rest_.substr(0, word.size()), word))
      return false;
    rest_.remove_prefix(word.size());
    return true;
  }
  std::string_view rest() const { return rest_; }

  // "text" with \\ and \" as the only escapes.
  std::string Quoted() {
    if (!Take('"')) Fail("a quote (\") was expected");
    std::string text;
    while (!Take('"')) {
      if (rest_.empty()) Fail("the quoted text has no closing quote");
      char c = rest_.front();
      rest_.remove_prefix(1);
      if (c == '\\') {
        if (rest_.empty() || (rest_.front() != '\\' && rest_.front() != '"'))
          Fail("a backslash inside quotes must be doubled (\\\\) or escape a quote (\\\")");
        c = rest_.front();
        rest_.remove_prefix(1);
      }
      text += c;
    }
    return text;
  }

  std::uint32_t Dword() {
    std::uint32_t value = 0;
    for (int i = 0; i < 8; ++i) {
      const int digit = rest_.empty() ? -1 : HexDigit(rest_.front());
      if (digit < 0) Fail("dword: must be followed by exactly eight hexadecimal digits");
      value = value << 4 | static_cast<std::uint32_t>(digit);
      rest_.remove_prefix(1);
    }
    return value;
  }

  void End() {
    if (!rest_.empty())
      Fail("unexpected text \"" + std::string(rest_) + "\" at the end of the line");
  }

 private:
  static int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  std::string_view rest_;
  const fs::path& file_;
  int number_;
};

std::string_view Trim(std::string_view s) {
  const auto first = s.find_first_not_of(" \t\r");
  if (first == s.npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::string FormatRegFile(const KeyTree& tree) {
  std::string out(kHeader);
  out += '\n';
  for (const KeyTree::Key& key : tree.keys()) {
    out += "\n[" + std::string(kRoot) + key.path + "]\n";
    for (const KeyTree::Value& v : key.values)
      out += (v.name.empty() ? "@" : FormatValue(v.name)) + "=" + FormatValue(v.value) + "\n";
  }
  return out;
}

KeyTree ParseRegFile(std::string_view text, const fs::path& file) {
  KeyTree tree;
  // An empty file holds nothing to lose; it reads as an empty store.
  if (text.empty()) return tree;
  std::string section;  // the key the following values belong to; empty before the first
  int number = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t end = std::min(text.find('\n', pos), text.size());
    const std::string_view raw = text.substr(pos, end - pos);
    pos = end + 1;
    LineParser line(Trim(raw), file, ++number);
    if (number == 1) {
      if (line.rest() != kHeader) line.Fail("the file must begin with the line REGEDIT4");
      continue;
    }
    if (line.rest().empty() || line.Take(';')) continue;  // blank line or comment
    if (line.Take('[')) {
      const std::string_view inner = line.rest();
      if (inner.empty() || inner.back() != ']') line.Fail("a key line must end with ]");
      LineParser path(inner.substr(0, inner.size() - 1), file, number);
      if (!path.TakeNoCase(kRoot) || path.rest().empty())
        line.Fail("only keys below HKEY_CURRENT_USER can be stored");
      section = path.rest();
      try {
        tree.AddKey(section);
      } catch (const SettingsError& e) {
        line.Fail(e.what());
      }
      continue;
    }
    std::string name;
    if (!line.Take('@')) {
      if (line.rest().front() != '"') line.Fail("a [key] or a \"name\"=value line was expected");
      name = line.Quoted();
    }
    if (!line.Take('=')) line.Fail("= was expected after the value name");
    StoreValue value;
    if (line.rest().starts_with('"'))
      value = line.Quoted();
    else if (line.TakeNoCase("dword:"))
      value = line.Dword();
    else
      line.Fail("only text (\"...\") and dword: values can be stored");
    line.End();
    if (section.empty()) line.Fail("a value stands before the first [key] line");
    try {
      tree.Write(section, name, value);
    } catch (const SettingsError& e) {
      line.Fail(e.what());
    }
  }
  return tree;
}

FileStore::FileStore(fs::path file) : file_(std::move(file)) {}

KeyTree FileStore::Load() const {
  Fd fd(Retry([&] { return ::open(file_.c_str(), O_RDONLY | O_CLOEXEC); }));
  if (fd.get() < 0) {
    if (errno == ENOENT) return {};  // first run: nothing stored yet
    FailOn(file_, "read the settings file");
  }
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      FailOn(file_, "read the settings file");
    }
    text.append(buffer, static_cast<std::size_t>(n));
  }
  return ParseRegFile(text, file_);
}

bool FileStore::KeyExists(std::string_view key) const {
  return Load().KeyExists(key);
}

std::optional<StoreValue> FileStore::Read(std::string_view key, std::string_view name) const {
  return Load().Read(key, name);
}

void FileStore::CreateKey(std::string_view key) {
  CheckKeyPath(key);
  Change([&](KeyTree& tree) { return tree.CreateKey(key); });
}

void FileStore::Write(std::string_view key, std::string_view name, const StoreValue& value) {
  CheckValueName(name);
  if (const auto* text = std::get_if<std::string>(&value)) CheckText(*text);
  Change([&](KeyTree& tree) { return tree.Write(key, name, value); });
}

void FileStore::Change(const std::function<bool(KeyTree&)>& change) {
  // A settings file linked from elsewhere (a dotfiles folder) stays a link: the new file
  // replaces the link's target.
  // (A missing file is no link; any other trouble with it shows when it is read.)
  std::error_code error;
  fs::path target = file_;
  if (fs::is_symlink(fs::symlink_status(file_, error))) {
    target = fs::weakly_canonical(file_, error);
    if (error) FailOn(file_, "follow the link", error.value());
  }
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  fs::create_directories(folder, error);
  if (error) FailOn(folder, "create the folder", error.value());

  // The lock lives in a file of its own: the settings file is replaced on every write, so a
  // lock on it would guard only the copy that was current when it was taken.
  const fs::path lock_path = fs::path(target) += ".lock";
  Fd lock(Retry([&] { return ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666); }));
  if (lock.get() < 0) FailOn(lock_path, "open the lock file");
  if (Retry([&] { return ::flock(lock.get(), LOCK_EX); }) < 0) FailOn(lock_path, "lock");

  // Read under the lock, so the change lands on what the other writers left.
  KeyTree tree = Load();
  if (!change(tree)) return;
  const std::string text = FormatRegFile(tree);

  // Only the lock holder uses this name, so a copy left by a writer that died is stale.
  const fs::path temp = fs::path(target) += ".tmp";
  ::unlink(temp.c_str());
  Fd out(
      Retry([&] { return ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666); }));
  if (out.get() < 0) FailOn(temp, "create");
  try {
    struct stat old_file;
    if (::stat(target.c_str(), &old_file) == 0) ::fchmod(out.get(), old_file.st_mode & 07777);
    for (std::size_t done = 0; done < text.size();) {
      const ssize_t n = ::write(out.get(), text.data() + done, text.size() - done);
      if (n < 0 && errno != EINTR) FailOn(temp, "write");
      if (n > 0) done += static_cast<std::size_t>(n);
    }
    if (Retry([&] { return ::fsync(out.get()); }) < 0) FailOn(temp, "flush");
    if (out.Close() < 0) FailOn(temp, "write");
    if (::rename(temp.c_str(), target.c_str()) < 0) FailOn(target, "replace");
  } catch (...) {
    ::unlink(temp.c_str());
    throw;
  }
  // The rename is durable only once the folder's entry is on disk too.
  Fd dir(Retry([&] { return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); }));
  if (dir.get() < 0 || Retry([&] { return ::fsync(dir.get()); }) < 0)
    FailOn(folder, "flush the folder");
}

fs::path DefaultStorePath() {
  fs::path base;
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config && *config && fs::path(config).is_absolute()) {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
      const passwd* user = ::getpwuid(::getuid());
      home = user ? user->pw_dir : nullptr;
    }
    if (!home || !*home)
      throw SettingsError(
          "Cannot find a folder for the settings: neither HOME nor "
          "XDG_CONFIG_HOME is set");
    base = fs::path(home) / ".config";
  }
  return base / "tessil" / "registry.reg";
}

}  // namespace tessil
