// PausePolling on construction, ResumePolling exactly once: where the command
// says, or on whatever way out it takes, errors included.
#pragma once

#include "operations/commands.h"

namespace tessil {

class PollingPause {
 public:
  explicit PollingPause(Commands& commands) : commands_(commands) { commands_.PausePolling(); }
  ~PollingPause() { Resume(); }
  PollingPause(const PollingPause&) = delete;
  PollingPause& operator=(const PollingPause&) = delete;

  void Resume() {
    if (resumed_) return;
    resumed_ = true;
    commands_.ResumePolling();
  }

 private:
  Commands& commands_;
  bool resumed_ = false;
};

}  // namespace tessil
