#include "win32/chooser_menu.h"

#include "win32/text.h"

namespace velquin::win32 {

namespace {

// What the user did in the open menu besides choosing. The menu's own loop
// shows its messages to a hook of the thread, which has no way to carry a
// pointer of ours: hence one per thread, set while a menu is open.
struct OpenList {
  HMENU menu = nullptr;
  HHOOK hook = nullptr;
  int removeAt = -1;   // the item lit when Delete was pressed
  int contextAt = -1;  // the item right-clicked
};
thread_local OpenList* openList = nullptr;

int litItem(HMENU menu) {
  const int n = GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i)
    if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_HILITE)
      return i;
  return -1;
}

LRESULT CALLBACK menuFilter(int code, WPARAM w, LPARAM l) {
  OpenList* list = openList;
  if (list && code == MSGF_MENU) {
    const MSG* m = reinterpret_cast<const MSG*>(l);
    if (m->message == WM_KEYDOWN && m->wParam == VK_DELETE) {
      list->removeAt = litItem(list->menu);
      if (list->removeAt >= 0) {
        EndMenu();
        return TRUE;
      }
    } else if (m->message == WM_RBUTTONUP) {
      list->contextAt = MenuItemFromPoint(nullptr, list->menu, m->pt);
      if (list->contextAt >= 0) {
        EndMenu();
        return TRUE;
      }
    }
  }
  return CallNextHookEx(list ? list->hook : nullptr, code, w, l);
}

// Opened from the keyboard: the item is lit at once, so Enter takes it.
void light(HWND owner, int item) {
  for (int i = 0; i <= item; ++i) PostMessageW(owner, WM_KEYDOWN, VK_DOWN, 0);
}

}  // namespace

platform::ListChoice showChooserMenu(HWND owner, POINT at,
                                     const std::vector<std::string>& items,
                                     int highlighted) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return {};
  for (size_t i = 0; i < items.size(); ++i) {
    // An ampersand in a menu item marks its access key; these are shown as
    // they are.
    std::wstring text;
    for (wchar_t c : widen(items[i])) {
      if (c == L'&') text += L'&';
      text += c;
    }
    AppendMenuW(menu, MF_STRING, i + 1, text.c_str());
  }
  platform::ListChoice choice;
  for (;;) {
    OpenList list{menu};
    OpenList* outer = openList;
    openList = &list;
    list.hook = SetWindowsHookExW(WH_MSGFILTER, menuFilter, nullptr,
                                  GetCurrentThreadId());
    light(owner, highlighted);
    const int chosen = static_cast<int>(TrackPopupMenuEx(
        menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_NONOTIFY, at.x,
        at.y, owner, nullptr));
    if (list.hook) UnhookWindowsHookEx(list.hook);
    openList = outer;
    if (list.removeAt >= 0) {
      choice = {list.removeAt, true};
      break;
    }
    if (list.contextAt < 0) {
      choice = {chosen - 1, false};
      break;
    }
    // The item's context menu, where the pointer is; dismissed, the list
    // comes back with that item lit.
    POINT pt;
    GetCursorPos(&pt);
    HMENU context = CreatePopupMenu();
    if (!context) break;
    AppendMenuW(context, MF_STRING, 1, kDeleteItem);
    light(owner, 0);
    const int act = static_cast<int>(TrackPopupMenuEx(
        context, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_NONOTIFY,
        pt.x, pt.y, owner, nullptr));
    DestroyMenu(context);
    if (act == 1) {
      choice = {list.contextAt, true};
      break;
    }
    highlighted = list.contextAt;
  }
  DestroyMenu(menu);
  return choice;
}

}  // namespace velquin::win32
