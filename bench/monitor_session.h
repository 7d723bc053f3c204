#pragma once
// What the monitor window's benchmarks share: the program in a scratch
// folder with its monitor window open, the program's own message loop for
// a while, the window's answer time to another thread, and the user's hand
// on the window's fields and its start button.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench_window.h"
#include "monitor/monitor_window.h"
#include "win32/platform_win32.h"
#include "win32/session.h"

namespace velquin::bench {

class MonitorSession {
 public:
  MonitorSession(win32::Win32Platform& os, const std::string& folderName) : os_(os) {
    folder_ = scratchFolder(folderName);
    session_ = std::make_unique<win32::Session>(os_);
    session_->show(SW_SHOWNORMAL);
    session_->mainWindow().fromUser([&] { session_->main().form().execute("Act_Monitor"); });
    run(300);
  }
  ~MonitorSession() {
    session_.reset();
    leaveScratchFolder(folder_);
  }
  MonitorSession(const MonitorSession&) = delete;
  MonitorSession& operator=(const MonitorSession&) = delete;

  monitor::TfrmMonitor& window() { return session_->program().monitor(); }
  HWND hwnd() { return session_->monitorWindow().hwnd(); }
  const std::filesystem::path& folder() const { return folder_; }

  // The user's hand on the monitor window's form.
  void fromUser(const std::function<void(form::Form&)>& act) {
    form::Form& f = window().form();
    session_->monitorWindow().fromUser([&] { act(f); });
  }
  // The start (or stop) button.
  void clickStart() {
    fromUser([](form::Form& f) { f.userClick(f["btnMonitor"]); });
  }

  // The program's own loop for ms: it sleeps until a message comes.
  void run(int ms) {
    const Clock::time_point end = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
      if (left.count() <= 0) return;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) os_.dispatch(msg);
    }
  }

  // The longest and the 99th-percentile wait of another thread for the
  // window's answer to a message, every 20 ms, while it runs for ms.
  void answerTimes(int ms, double& longest, double& p99) {
    std::atomic<bool> done{false}, ended{false};
    std::vector<double> waits;
    HWND target = hwnd();
    std::thread probe([&] {
      while (!done) {
        const Clock::time_point t = Clock::now();
        DWORD_PTR r = 0;
        SendMessageTimeoutW(target, WM_NULL, 0, 0, SMTO_BLOCK, 10000, &r);
        waits.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t).count());
        Sleep(20);
      }
      ended = true;
    });
    run(ms);
    done = true;
    // The probe may wait for an answer: the window goes on answering.
    while (!ended) run(5);
    probe.join();
    std::sort(waits.begin(), waits.end());
    longest = waits.empty() ? 0 : waits.back();
    p99 = waits.empty() ? 0 : waits[waits.size() * 99 / 100];
  }

 private:
  win32::Win32Platform& os_;
  std::filesystem::path folder_;
  std::unique_ptr<win32::Session> session_;
};

}  // namespace velquin::bench
