#pragma once
// The whole program put together: the main window with every page unit in
// the order of its pages, and the command runner. Used by WinMain and by the
// tests, so both run exactly the same assembly.

#include <memory>

#include "app/main_window.h"
#include "platform/platform.h"

namespace velquin {

namespace exec {
class Runner;
}
namespace help {
class TfrmAbout;
}
namespace monitor {
class TfrmMonitor;
}
namespace connections {
class TfrmConnections;
}
namespace app {
class RunStatus;
class HistoryUnit;
}

class Program {
 public:
  explicit Program(platform::Platform& platform);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  app::TfrmMain& main() { return *main_; }
  exec::Runner& runner() { return *runner_; }
  help::TfrmAbout& about() { return *about_; }
  monitor::TfrmMonitor& monitor() { return *monitor_; }
  connections::TfrmConnections& connections() { return *connections_; }
  app::RunStatus& status() { return *status_; }
  app::HistoryUnit& history() { return *history_; }

 private:
  std::unique_ptr<app::TfrmMain> main_;
  // Declared after main_ so that it is destroyed first: it registers its
  // actions on the main window and refers to its controls.
  std::unique_ptr<exec::Runner> runner_;
  // The about box, the second window; the main window finds it by name.
  std::unique_ptr<help::TfrmAbout> about_;
  // The monitor window, made before the main window's unit that opens it;
  // destroyed first, which ends its probes.
  std::unique_ptr<monitor::TfrmMonitor> monitor_;
  // The connections window, made before the unit that opens it, after the
  // monitor that its menu fills.
  std::unique_ptr<connections::TfrmConnections> connections_;
  app::RunStatus* status_ = nullptr;    // units of the main window
  app::HistoryUnit* history_ = nullptr;
};

}  // namespace velquin
