#pragma once
// The real program in real windows, inside the test process, with the
// message boxes recorded instead of shown. Controls are found as an outside
// tool finds them: by the Name property of their native window.

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "program.h"
#include "win32/platform_win32.h"
#include "win32/renderer.h"
#include "win32/session.h"
#include "scripted_echoes.h"

namespace velquin::test {

// Its clocks and echo requests may be turned over to a script.
class RecordingPlatform : public ScriptedEchoes<win32::Win32Platform> {
 public:
  std::vector<std::string> messages;
  bool realBoxes = false;  // shows the real message box as well
  void showMessage(const std::string& text) override {
    messages.push_back(text);
    if (realBoxes) Win32Platform::showMessage(text);
  }
  bool askYesNo(const std::string&, const std::string&) override { return false; }
  // Wine runs programs elevated; a test may have the program think not.
  bool notElevated = false;
  bool elevated() override { return !notElevated && Win32Platform::elevated(); }
  // A restart as administrator starts this test program, which is told
  // to run no test.
  ElevatedStart startElevated(const std::string& arguments, const std::string& folder,
                              std::string& error) override {
    return Win32Platform::startElevated("--gtest_filter=NoSuchTest.None " + arguments,
                                        folder, error);
  }
};

// The model name that the window carries in its Name property, or "".
std::string nameOf(HWND h);
// Every window of the process that carries this Name, searched from the top.
HWND findByName(HWND top, const std::string& name);
std::string windowText(HWND h);
// The text on the clipboard, opened for the window given.
std::string clipboardText(HWND owner);

class WineApp : public ::testing::Test {
 protected:
  WineApp();
  ~WineApp() override;

  HWND byName(const std::string& name);
  // The user's hands on the real window.
  void click(const std::string& name);       // BM_CLICK: mouse down and up
  void typeInto(const std::string& name, const std::string& text);
  void pump(int ms = 50);                    // let the window handle messages
  // Real input through the system's queue, as the hand gives it: the left
  // button pressed and let go at a point of the window's client area (its
  // middle by default), the pointer moved there, keys with a held
  // modifier, text typed.
  void mouseClick(HWND h, POINT at = {-1, -1});
  void mouseTo(HWND h, POINT at = {-1, -1});
  void keyPress(WORD vk, WORD held = 0);
  void typeKeys(const std::string& text);
  // The window that really has the keyboard focus, as the system sees it.
  HWND focusNow();
  // The window brought to the front and the control given the focus, as
  // the user's click leaves them. A window of an earlier test or a process
  // just ended may take the front back a moment later, so this tries again
  // until the focus has stayed put for a while; false if it never did.
  bool putFocus(HWND control);
  // Brings forward the page that holds the control, as choosing it would:
  // a main page by its tab, the pages inside it as their handlers turn them.
  void showPageOf(const std::string& name);
  std::string text(const std::string& name) { return windowText(byName(name)); }
  // What StatusBar1 says (its first part).
  std::string statusText();
  bool visible(const std::string& name) { return IsWindowVisible(byName(name)); }

  app::TfrmMain& main() { return program->main(); }

  std::string folder;  // start folder, a fresh temporary folder
  RecordingPlatform os;
  std::unique_ptr<win32::Session> session;
  Program* program = nullptr;
  win32::Renderer* window = nullptr;  // the main window
};

// A user's hand while a button's click runs a command or a repetition: the
// click returns only when it is over, so what the user does meanwhile
// happens from a timer that its own message pump serves. Each step is taken
// once its condition holds, in order; past limitMs the closer is clicked,
// so that a test fails instead of hanging.
class UserHand {
 public:
  struct Step {
    std::function<bool()> when;
    std::function<void()> then;
  };
  UserHand(HWND window, HWND closer, std::vector<Step> steps, DWORD limitMs);
  ~UserHand();
  UserHand(const UserHand&) = delete;
  UserHand& operator=(const UserHand&) = delete;
  size_t taken() const { return next_; }
  bool timedOut() const { return timedOut_; }

 private:
  static void CALLBACK tick(HWND window, UINT, UINT_PTR, DWORD);
  HWND window_, closer_;
  std::vector<Step> steps_;
  DWORD deadline_;
  size_t next_ = 0;
  bool timedOut_ = false;
};

// A user's hand on the modal windows that the program opens on its own
// thread: file dialogs, the questions they ask, message boxes. A helper
// thread waits for each new one to appear, notes what it shows and answers
// it with the next step, while the program's thread sits in the dialog's own
// loop, as it does for a real user. A window that appears when no step is
// left is noted and cancelled. Every wait is bounded: once the time is up,
// whatever is still open is cancelled, so that a test fails, never hangs.
class DialogHand {
 public:
  struct Seen {
    std::string caption;
    std::string text;    // its static texts, one a line: a box's message
    std::string folder;  // a file dialog's folder when it appeared
    std::string fileName;  // and the name it proposed
    bool operator==(const Seen&) const = default;
  };
  using Step = std::function<void(HWND dialog)>;

  explicit DialogHand(std::vector<Step> steps, int timeoutMs = 15000);
  ~DialogHand();
  DialogHand(const DialogHand&) = delete;
  DialogHand& operator=(const DialogHand&) = delete;

  // Waits until every step has been taken or the time is up, stops the
  // helper and returns every window it saw, in order.
  const std::vector<Seen>& finish();
  bool allTaken() const { return taken_ == steps_.size(); }

  // Types the name into a file dialog's file name field and presses OK.
  static Step chooseFile(const std::string& path);
  // Presses a button of a dialog or message box: IDOK, IDYES, IDNO...
  static Step press(int buttonId);

 private:
  void work();

  std::vector<Step> steps_;
  DWORD uiThread_;
  DWORD deadline_;
  std::atomic<size_t> taken_{0};
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<Seen> seen_;
  std::thread helper_;
};

// Ends whatever the program is doing if it takes longer than a bound: the
// window is closed as by its close box, which ends a running command and a
// batch. For waits that run inside a click, such as a whole batch.
class Deadline {
 public:
  Deadline(HWND window, int ms);
  ~Deadline();
  Deadline(const Deadline&) = delete;
  Deadline& operator=(const Deadline&) = delete;
  bool fired() const { return fired_; }

 private:
  HANDLE cancel_;
  std::atomic<bool> fired_{false};
  std::thread helper_;
};

}  // namespace velquin::test
