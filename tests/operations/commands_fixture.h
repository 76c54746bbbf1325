// Commands over a FakeView and the in-process recording plug-in, with a
// plug-in accepted and the call log cleared.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "operations/commands.h"
#include "settings/memory_store.h"
#include "tests/fakes/fake_view.h"
#include "tests/fakes/recording_plugin.h"

namespace tessil::testing_support {

using Log = std::vector<std::string>;

inline Log Cat(std::initializer_list<Log> parts) {
  Log all;
  for (const Log& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// The checksum and the eight ID bytes of one kind, as the panel fetches them.
inline Log ChecksumAndId(int kind) {
  Log log = {"_ComputeGeneralChecksum(" + std::to_string(kind) + ")"};
  for (int i = 0; i < 8; ++i) {
    log.push_back("_GetIDValue(" + std::to_string(i) + "," + std::to_string(kind) + ")");
  }
  return log;
}

class CommandsTest : public ::testing::Test {
 protected:
  fakes::FakeView view;
  Session session{fakes::InProcessOpener()};
  Commands commands{session, view};
  fakes::RecorderState& plugin = fakes::Recorder();

  void SetUp() override {
    plugin.Reset();
    plugin.size = {128, 128};
    view.onScrollChange = [this] { commands.ScrollBar1Change(); };
    view.onIdChange = [this] { commands.IDEditChange(); };
    commands.CreateSettings(std::make_unique<MemoryStore>());
    commands.LoadPlugin("/plugins/librecording.so");
    session.FullRead = true;
    plugin.TakeLog();
  }

  // A file image taken by Load, shown with the selector at 0.
  void LoadFile(const std::string& path = "/tmp/first.hex") {
    view.openAnswers.push_back(path);
    commands.SB_loadClick();
    plugin.TakeLog();
    view.activityLog.clear();
    view.messages.clear();
  }
  // A chip image taken by a full read, shown with the selector at 1.
  void ReadChip() {
    commands.SB_downloadClick();
    plugin.TakeLog();
    view.activityLog.clear();
    view.messages.clear();
  }
};

}  // namespace tessil::testing_support
