// Takes pictures of the real window, one per page, for people to look at:
//   velquin_shots.exe <folder>
// It builds the program as WinMain does, shows each tool page (and the
// pages that open a detail panel, with the panel open) and saves each as a
// BMP file. Run under Wine on a display (tools/screenshots.sh).

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "program.h"
#include "win32/platform_win32.h"
#include "win32/renderer.h"
#include "win32/text.h"

namespace {

void pump(velquin::win32::Win32Platform& os, int ms) {
  DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  do os.pumpMessages(5);
  while (static_cast<LONG>(end - GetTickCount()) > 0);
}

bool saveBmp(HWND h, const std::wstring& path) {
  RECT rc;
  GetWindowRect(h, &rc);
  int w = rc.right - rc.left, hgt = rc.bottom - rc.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = hgt;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, hgt, screen, rc.left, rc.top, SRCCOPY);
  SelectObject(mem, old);
  int stride = ((w * 3 + 3) & ~3);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
  fh.bfSize = fh.bfOffBits + stride * hgt;
  FILE* f = _wfopen(path.c_str(), L"wb");
  bool ok = f != nullptr;
  if (f) {
    fwrite(&fh, sizeof fh, 1, f);
    fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
    fwrite(bits, stride * hgt, 1, f);
    fclose(f);
  }
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring out = argc > 1 ? argv[1] : L".";
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  velquin::win32::Win32Platform os;
  velquin::Program program(os);
  auto& main = program.main();
  main.FormCreate();
  velquin::win32::Renderer window(main.form());
  os.attach(&window);
  window.create(nullptr);
  window.fromUser([&] { main.FormShow(); });
  ShowWindow(window.hwnd(), SW_SHOWNORMAL);
  SetForegroundWindow(window.hwnd());
  pump(os, 500);

  auto& f = main.form();
  auto shot = [&](const std::wstring& name, const std::function<void()>& act) {
    window.fromUser(act);
    pump(os, 400);
    saveBmp(window.hwnd(), out + L"\\" + name + L".bmp");
  };
  shot(L"00_top", [] {});
  const wchar_t* tools[] = {L"ipconfig", L"ping", L"netstat", L"nbtstat",
                            L"route", L"tracert", L"net", L"arp",
                            L"nslookup", L"pathping"};
  for (int k = 0; k < 10; ++k) {
    shot(std::to_wstring(k + 1) + L"_" + tools[k],
         [&, k] { f.userPickItem(f["RadioGroup1"], k); });
    // Pages with a panel of details: open it too.
    for (const char* b : {"btnPing_S"}) {
      auto* button = f.find(b);
      if (button && button->showing())
        shot(std::to_wstring(k + 1) + L"_" + tools[k] + L"_detail",
             [&, button] { f.userClick(*button); });
    }
  }
  const char* pages[] = {"TabSheet2", "TabSheet3", "TabSheet4", "TabSheet5"};
  for (int i = 0; i < 4; ++i)
    shot(L"p" + std::to_wstring(i + 2) + L"_" + velquin::win32::widen(pages[i]),
         [&, i] { f.userSelectPage(f["PageControl1"], i + 1); });
  // The output view holding a command's output, part of it selected.
  shot(L"p2_output_selection", [&] {
    f["Edit1"].setText("ipconfig /all");
    f.execute("Act_btnDO");
    HWND memo = nullptr;
    EnumChildWindows(
        window.hwnd(),
        [](HWND h, LPARAM lp) -> BOOL {
          wchar_t name[64] = L"";
          if (auto a = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(h, L"Name"))))
            GlobalGetAtomNameW(a, name, 64);
          if (std::wstring(name) != L"Memo0") return TRUE;
          *reinterpret_cast<HWND*>(lp) = h;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&memo));
    SendMessageW(memo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 50));
    SendMessageW(memo, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(180, 120));
    SendMessageW(memo, WM_LBUTTONUP, 0, MAKELPARAM(180, 120));
  });
  os.attach(nullptr);
  return 0;
}
