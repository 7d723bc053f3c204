#pragma once
// One start of the program, as WinMain, the tests under Wine, the
// screenshots and the benchmarks all make it: the program assembled, the
// main window's creation handler (which reads the settings file), its
// native window, the about box (its window made when first shown), then
// the show handler as the main window first comes up. Closing the main window stores the
// settings and ends the message loop.

#include <memory>

#include "program.h"
#include "win32/platform_win32.h"
#include "win32/renderer.h"

namespace velquin::win32 {

class Session {
 public:
  // Builds everything up to the main window's show handler; nothing is
  // shown yet. Throws when a window cannot be created.
  explicit Session(Win32Platform& os);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Runs the show handler and shows the main window (cmd as ShowWindow).
  void show(int cmd);
  // The message loop until the main window closes; the exit code.
  int run() { return os_.run(); }

  Program& program() { return *program_; }
  app::TfrmMain& main() { return program_->main(); }
  Renderer& mainWindow() { return *main_; }
  Renderer& aboutWindow() { return *about_; }
  Renderer& monitorWindow() { return *monitor_; }
  Renderer& connectionsWindow() { return *connections_; }
  // Whether OLE has been set up on this thread for the session's windows:
  // not at start, but once something needs it (an assistive tool in
  // another process asking for the output view's object, a file dialog,
  // the shell); then kept until the session ends.
  bool holdsCom() const;

 private:
  Win32Platform& os_;
  std::unique_ptr<Program> program_;
  std::unique_ptr<Renderer> main_;
  std::unique_ptr<Renderer> about_;
  std::unique_ptr<Renderer> monitor_;
  std::unique_ptr<Renderer> connections_;
};

}  // namespace velquin::win32
