#include "win32/window_table.h"

#include <iterator>

#include "win32/controls.h"
#include "win32/renderer.h"

namespace velquin::win32 {

using form::Prop;

WindowTable::Entry* WindowTable::find(HWND h) {
  const auto it = map_.find(h);
  return it == map_.end() ? nullptr : &it->second;
}

void WindowTable::release(HWND h) {
  const auto it = map_.find(h);
  if (it == map_.end()) return;
  // A watched window keeps its entry until it is destroyed: the watcher
  // still needs the procedure it replaced.
  if (it->second.next) it->second.object = nullptr;
  else map_.erase(it);
}

void WindowTable::forget(const NativeControl* n) {
  for (auto it = map_.begin(); it != map_.end();) {
    if (it->second.watcher == n) it->second.watcher = nullptr;
    if (it->second.object == n) it->second.object = nullptr;
    it = (!it->second.object && !it->second.next) ? map_.erase(it) : std::next(it);
  }
}

NativeControl* objectOf(HWND h) {
  Renderer* r = Renderer::of(h);
  WindowTable::Entry* e = r ? r->windows().find(h) : nullptr;
  return e ? e->object : nullptr;
}

void registerClass(const wchar_t* name, WNDPROC proc, const wchar_t* cursor, UINT style) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc)) return;
  wc = {};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, cursor);
  wc.lpfnWndProc = proc;
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

}  // namespace velquin::win32
