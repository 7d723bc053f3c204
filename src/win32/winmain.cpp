// Program entry: the main window with every page and the about box, then
// the message loop until the main window closes.

#include <windows.h>

#include "win32/session.h"
#include "win32/text.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  try {
    velquin::win32::Win32Platform os;
    velquin::win32::Session session(os);
    session.show(show);
    return session.run();
  } catch (const std::exception& e) {
    MessageBoxW(nullptr, velquin::win32::widen(e.what()).c_str(), L"Velquin",
                MB_OK | MB_ICONERROR);
    return 1;
  }
}
