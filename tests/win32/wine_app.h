#pragma once
// The real program in real windows, inside the test process, with the
// message boxes recorded instead of shown. Controls are found as an outside
// tool finds them: by the Name property of their native window.

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "program.h"
#include "win32/platform_win32.h"
#include "win32/renderer.h"

namespace velquin::test {

class RecordingPlatform : public win32::Win32Platform {
 public:
  std::vector<std::string> messages;
  void showMessage(const std::string& text) override { messages.push_back(text); }
  bool askYesNo(const std::string&, const std::string&) override { return false; }
};

// The model name that the window carries in its Name property, or "".
std::string nameOf(HWND h);
// Every window of the process that carries this Name, searched from the top.
HWND findByName(HWND top, const std::string& name);
std::string windowText(HWND h);

class WineApp : public ::testing::Test {
 protected:
  WineApp();
  ~WineApp() override;

  HWND byName(const std::string& name);
  // The user's hands on the real window.
  void click(const std::string& name);       // BM_CLICK: mouse down and up
  void typeInto(const std::string& name, const std::string& text);
  void pump(int ms = 50);                    // let the window handle messages
  std::string text(const std::string& name) { return windowText(byName(name)); }
  bool visible(const std::string& name) { return IsWindowVisible(byName(name)); }

  app::TfrmMain& main() { return program->main(); }

  std::string folder;  // start folder, a fresh temporary folder
  RecordingPlatform os;
  std::unique_ptr<Program> program;
  std::unique_ptr<win32::Renderer> window;
};

}  // namespace velquin::test
