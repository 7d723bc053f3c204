#pragma once
// The chooser list (the command history's F7) as a popup menu: chosen from
// with the keyboard or the mouse, and an item deleted with the Delete key
// or with "削除" on the item's own context menu (a right click).

#include <windows.h>

#include <string>
#include <vector>

#include "platform/platform.h"

namespace velquin::win32 {

inline constexpr const wchar_t* kDeleteItem = L"削除(&D)";

// Shows the list with its top left at the screen point, owned by the
// window, the item at highlighted lit first.
platform::ListChoice showChooserMenu(HWND owner, POINT at,
                                     const std::vector<std::string>& items,
                                     int highlighted);

}  // namespace velquin::win32
