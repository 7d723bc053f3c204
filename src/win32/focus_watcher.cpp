// The focus watcher: every window that can hold the keyboard focus tells
// the model when it gets it, so the model's focused control is always the
// real one.

#include "form/form.h"
#include "win32/controls.h"
#include "win32/renderer.h"

namespace velquin::win32 {

namespace {

// Sees the focus arrive at a window and tells the model, after the window
// itself has taken it (an edit has placed its caret, a button drawn its
// frame): the enter event then acts on a control that really has it. A
// plain replacement of the window procedure: it sits under every message
// of every control, and the system's subclass helper costs a program of
// several hundred controls a noticeable part of its start.
LRESULT CALLBACK focusWatcher(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  Renderer* r = Renderer::of(h);
  WindowTable::Entry* e = r ? r->windows().find(h) : nullptr;
  if (!e || !e->next) return DefWindowProcW(h, msg, wp, lp);
  const WNDPROC next = e->next;
  NativeControl* const self = e->watcher;
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(next));
    r->windows().erase(h);
    return CallWindowProcW(next, h, msg, wp, lp);
  }
  if (!self) return CallWindowProcW(next, h, msg, wp, lp);
  const LRESULT result = self->watched(h, msg, wp, lp, next);
  if (msg == WM_SETFOCUS) focusArrived(*self);
  return result;
}
}  // namespace

void focusArrived(NativeControl& n) {
  // fromUser keeps what the handlers throw; this keeps what building the
  // call could throw (memory) from crossing the window procedure.
  try {
    Renderer& r = n.renderer();
    form::Form& f = n.model().form();
    // Not while the window is taken down: the model no longer watches.
    if (f.view() == &r) r.fromUser([&n, &f] { f.userFocus(n.model()); });
  } catch (...) {
  }
}

LRESULT NativeControl::watched(HWND h, UINT msg, WPARAM wp, LPARAM lp,
                               WNDPROC next) {
  return CallWindowProcW(next, h, msg, wp, lp);
}

void NativeControl::watchFocus(HWND h) {
  WindowTable::Entry& e = r_.windows().at(h);
  e.watcher = this;
  if (e.next) return;
  e.next = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(h, GWLP_WNDPROC));
  SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(focusWatcher));
}

}  // namespace velquin::win32
