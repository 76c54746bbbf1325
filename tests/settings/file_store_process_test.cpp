// The file store across processes: a writer killed at any moment leaves a whole file, and two
// writers at once lose neither's changes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <random>

#include "settings/file_store.h"
#include "tests/settings/temp_folder.h"

namespace tessil {
namespace {

constexpr char kKey[] = "\\Software\\Tessil";

// Large enough to span several disk blocks, and shaped so that a torn copy shows.
std::string Payload(unsigned n) {
  return std::to_string(n) + ":" + std::string(5000, 'a' + n % 26);
}

std::optional<unsigned> PayloadNumber(const std::string& text) {
  const auto colon = text.find(':');
  if (colon == text.npos) return std::nullopt;
  const unsigned n = static_cast<unsigned>(std::stoul(text.substr(0, colon)));
  if (text != Payload(n)) return std::nullopt;
  return n;
}

// Runs `body` in a child process that ends with status 0, or 1 if the body threw.
pid_t Spawn(const std::function<void()>& body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    try {
      body();
    } catch (...) {
      ::_exit(1);
    }
    ::_exit(0);
  }
  return pid;
}

TEST(SettingsFileStoreProcesses, WriterKilledAtAnyMomentLeavesTheOldOrTheNewFile) {
  test::TempFolder folder;
  const auto file = folder.path() / "registry.reg";
  FileStore(file).CreateKey(kKey);
  std::random_device seed;
  std::mt19937 random(seed());
  unsigned last_seen = 0;
  for (unsigned round = 1; round <= 12; ++round) {
    int acks[2];
    ASSERT_EQ(::pipe(acks), 0);
    const unsigned first = round * 1000;
    const pid_t writer = Spawn([&] {
      ::close(acks[0]);
      FileStore store(file);
      for (unsigned n = first;; ++n) {
        store.Write(kKey, "counter", Payload(n));
        if (::write(acks[1], "+", 1) != 1) ::_exit(2);
      }
    });
    ASSERT_GT(writer, 0);
    ::close(acks[1]);
    // Let a random number of writes complete, then kill the writer somewhere in the next.
    const unsigned completed = 1 + random() % 6;
    char ack;
    for (unsigned i = 0; i < completed; ++i) ASSERT_EQ(::read(acks[0], &ack, 1), 1);
    ::usleep(random() % 1500);
    ::kill(writer, SIGKILL);
    int status = 0;
    ::waitpid(writer, &status, 0);
    ::close(acks[0]);
    ASSERT_TRUE(WIFSIGNALED(status)) << "writer ended early with status " << status;

    std::optional<StoreValue> value;
    ASSERT_NO_THROW(value = FileStore(file).Read(kKey, "counter")) << "round " << round;
    ASSERT_TRUE(value && std::holds_alternative<std::string>(*value));
    const auto number = PayloadNumber(std::get<std::string>(*value));
    ASSERT_TRUE(number) << "torn value in round " << round;
    // Every write the writer reported done is on disk.
    EXPECT_GE(*number, first + completed - 1);
    last_seen = *number;
  }
  // A dead writer's lock and leftover temporary file do not stand in the next one's way.
  FileStore(file).Write(kKey, "after", std::string("ok"));
  EXPECT_EQ(FileStore(file).Read(kKey, "after"), StoreValue(std::string("ok")));
  EXPECT_EQ(FileStore(file).Read(kKey, "counter"), StoreValue(Payload(last_seen)));
}

TEST(SettingsFileStoreProcesses, TwoWritersAtOnceLoseNoChange) {
  test::TempFolder folder;
  const auto file = folder.path() / "registry.reg";
  FileStore(file).CreateKey(kKey);
  constexpr int kWrites = 25;
  int gate[2];
  ASSERT_EQ(::pipe(gate), 0);
  auto writer = [&](const std::string& prefix) {
    return Spawn([&, prefix] {
      ::close(gate[1]);
      char c;
      (void)!::read(gate[0], &c, 1);  // returns once the parent closes its end: both start
      FileStore store(file);
      for (int i = 0; i < kWrites; ++i)
        store.Write(kKey, prefix + std::to_string(i), static_cast<std::uint32_t>(i));
    });
  };
  const pid_t a = writer("a");
  const pid_t b = writer("b");
  ASSERT_GT(a, 0);
  ASSERT_GT(b, 0);
  ::close(gate[0]);
  ::close(gate[1]);
  for (pid_t pid : {a, b}) {
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
  }
  FileStore store(file);
  for (const char* prefix : {"a", "b"})
    for (int i = 0; i < kWrites; ++i)
      EXPECT_EQ(store.Read(kKey, prefix + std::to_string(i)),
                StoreValue(static_cast<std::uint32_t>(i)))
          << prefix << i;
}

}  // namespace
}  // namespace tessil
