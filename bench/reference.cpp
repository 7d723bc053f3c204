// The reference for the start-up benchmark: a program of the same kind at
// its barest. The same manifest (common controls 6, per-monitor DPI),
// InitCommonControlsEx, one window holding a tab control, a field and a
// button in the message font, and a message loop.
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>

namespace {

LRESULT CALLBACK proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
  InitCommonControlsEx(&icc);
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof ncm;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
  HFONT font = CreateFontIndirectW(&ncm.lfMessageFont);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpfnWndProc = proc;
  wc.lpszClassName = L"VelquinReference";
  RegisterClassExW(&wc);
  HWND main = CreateWindowExW(WS_EX_CONTROLPARENT, wc.lpszClassName, L"Reference",
                              WS_OVERLAPPEDWINDOW, 149, 233, 612, 476, nullptr,
                              nullptr, instance, nullptr);
  HWND tabs = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE,
                              8, 8, 580, 380, main, nullptr, instance, nullptr);
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  wchar_t caption[] = L"Page";
  item.pszText = caption;
  SendMessageW(tabs, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  HWND field = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"ipconfig /all",
                               WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL,
                               8, 396, 480, 24, main, nullptr, instance, nullptr);
  HWND button = CreateWindowExW(0, L"BUTTON", L"Run",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                                496, 396, 92, 24, main, nullptr, instance, nullptr);
  for (HWND h : {tabs, field, button})
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ShowWindow(main, show);
  UpdateWindow(main);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(main, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  DeleteObject(font);
  return 0;
}
