#pragma once
// The output view as assistive technology sees it (MSAA): a read-only text
// named "出力" whose value is the line that holds the caret. Parent,
// location, navigation and hit testing are the system's for the window.

#include <windows.h>

#include <functional>
#include <string>

namespace velquin::win32 {

class OutputAccessible;

// Owned by the view: made at the first WM_GETOBJECT, cut loose from the
// view when the view goes (a client may hold it longer).
class AccessibleHandle {
 public:
  AccessibleHandle(HWND view, std::function<std::wstring()> caretLine)
      : view_(view), caretLine_(std::move(caretLine)) {}
  ~AccessibleHandle();
  AccessibleHandle(const AccessibleHandle&) = delete;
  AccessibleHandle& operator=(const AccessibleHandle&) = delete;

  // The answer to WM_GETOBJECT.
  LRESULT answer(WPARAM wp, LPARAM lp);
  // The view got the focus; the caret moved to another line.
  void focused();
  void valueChanged();

 private:
  HWND view_;
  std::function<std::wstring()> caretLine_;
  OutputAccessible* object_ = nullptr;
};

}  // namespace velquin::win32
