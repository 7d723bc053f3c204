// Program entry: the main window with every page, then the message loop
// until the main window closes.

#include <windows.h>
#include <commctrl.h>

#include "program.h"
#include "win32/platform_win32.h"
#include "win32/renderer.h"
#include "win32/text.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                           ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&icc);
  try {
    velquin::win32::Win32Platform os;
    velquin::Program program(os);
    velquin::app::TfrmMain& main = program.main();
    main.FormCreate();
    velquin::win32::Renderer window(main.form());
    os.attach(&window);
    window.onClose = [&] {
      main.FormClose();
      os.setQuitting();
      ShowWindow(window.hwnd(), SW_HIDE);
    };
    window.onActivate = [&] { main.FormActivate(); };
    window.create(nullptr);
    window.fromUser([&] { main.FormShow(); });
    ShowWindow(window.hwnd(), show == SW_HIDE ? SW_SHOWNORMAL : show);
    UpdateWindow(window.hwnd());
    int code = os.run();
    os.attach(nullptr);
    return code;
  } catch (const std::exception& e) {
    MessageBoxW(nullptr, velquin::win32::widen(e.what()).c_str(), L"Velquin",
                MB_OK | MB_ICONERROR);
    return 1;
  }
}
