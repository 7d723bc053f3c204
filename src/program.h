#pragma once
// The whole program put together: the main window with every page unit in
// the order of its pages, and the command runner. Used by WinMain and by the
// tests, so both run exactly the same assembly.

#include <memory>

#include "app/main_window.h"
#include "platform/platform.h"

namespace velquin {

class Program {
 public:
  explicit Program(platform::Platform& platform);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  app::TfrmMain& main() { return *main_; }

 private:
  std::unique_ptr<app::TfrmMain> main_;
};

}  // namespace velquin
