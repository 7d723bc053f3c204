#pragma once
// The program's own table from native window to the object that stands for
// it, one per top-level window.

#include <windows.h>

#include <unordered_map>

namespace velquin::win32 {

class NativeControl;

// Which object stands for each native window of one top-level window, and
// the window procedure that a watched window had before. Kept in the
// program rather than in window properties: a property is answered by the
// system outside the process (a round trip for every message of every
// control), and this is read for nearly every message.
class WindowTable {
 public:
  struct Entry {
    NativeControl* object = nullptr;   // its notifications go here
    NativeControl* watcher = nullptr;  // the focus arriving is told here
    WNDPROC next = nullptr;            // the procedure under the watcher
  };
  Entry* find(HWND h);
  Entry& at(HWND h) { return map_[h]; }
  void erase(HWND h) { map_.erase(h); }
  // The window is destroyed: its object no longer stands for it.
  void release(HWND h);
  // The object goes: nothing refers to it any more.
  void forget(const NativeControl* n);

 private:
  std::unordered_map<HWND, Entry> map_;
};

// The object that stands for a native window, or null; windows are bound
// to their object when made, and unbound when their object goes or (for a
// window of the program's own class) when the window is destroyed.
NativeControl* objectOf(HWND h);

}  // namespace velquin::win32
