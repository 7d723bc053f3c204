#pragma once
// The program's icon in the notification area: a hidden window of its own
// takes the icon's clicks and hears the shell restart (the icon is added
// again then); the icon is a disc in the colour of how things stand.

#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>

#include "platform/platform.h"

namespace velquin::win32 {

class NotifyArea {
 public:
  // Runs a handler of the program for the user (a click, a menu item).
  using Invoke = std::function<void(const std::function<void()>&)>;
  explicit NotifyArea(Invoke invoke);
  ~NotifyArea();
  NotifyArea(const NotifyArea&) = delete;
  NotifyArea& operator=(const NotifyArea&) = delete;

  bool show(const platform::Platform::TrayIcon& icon);
  bool balloon(const std::string& text);
  void remove();

 private:
  static LRESULT CALLBACK proc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);
  NOTIFYICONDATAW data(UINT flags) const;
  bool add();
  void popupMenu();
  HICON icon(platform::Platform::TrayLevel level);

  Invoke invoke_;
  HWND window_ = nullptr;
  UINT taskbarCreated_ = 0;
  platform::Platform::TrayIcon icon_;
  bool shown_ = false;
  HICON icons_[3] = {};
};

}  // namespace velquin::win32
