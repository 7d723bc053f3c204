#include "win32/tray_icon.h"

#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <vector>

#include "win32/system_library.h"
#include "win32/text.h"

namespace velquin::win32 {

namespace {

constexpr UINT kIconMessage = WM_APP + 41;
constexpr UINT kIconId = 1;
constexpr UINT kFirstItem = 100;
constexpr wchar_t kClass[] = L"VelquinNotifyArea";

using Level = platform::Platform::TrayLevel;

COLORREF colourOf(Level level) {
  switch (level) {
    case Level::Down: return RGB(220, 0, 0);
    case Level::Loss: return RGB(235, 165, 0);
    default: return RGB(46, 139, 87);
  }
}

void copyInto(wchar_t* to, size_t size, const std::string& text) {
  const std::wstring w = widen(text);
  const size_t n = std::min(w.size(), size - 1);
  std::wmemcpy(to, w.data(), n);
  to[n] = L'\0';
}

// The shell's library is loaded when the icon is first shown, not at
// every start.
bool notify(DWORD message, NOTIFYICONDATAW& d) {
  static const auto call =
      systemFunction<decltype(&Shell_NotifyIconW)>(L"shell32.dll", "Shell_NotifyIconW");
  return call && call(message, &d) != FALSE;
}

}  // namespace

NotifyArea::NotifyArea(Invoke invoke) : invoke_(std::move(invoke)) {
  static const ATOM registered = [] {
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    return RegisterClassExW(&wc);
  }();
  (void)registered;
  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  // A top-level window, never shown: a message-only one would not hear
  // the shell's restart, which is sent to every top-level window.
  window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kClass, L"Velquin", WS_POPUP, 0, 0, 0, 0, nullptr,
                            nullptr, GetModuleHandleW(nullptr), this);
}

NotifyArea::~NotifyArea() {
  remove();
  if (window_) DestroyWindow(window_);
  for (HICON i : icons_)
    if (i) DestroyIcon(i);
}

HICON NotifyArea::icon(Level level) {
  HICON& made = icons_[static_cast<int>(level)];
  if (made) return made;
  const int cx = GetSystemMetrics(SM_CXSMICON), cy = GetSystemMetrics(SM_CYSMICON);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), cx, -cy, 1, 32, BI_RGB};
  void* bits = nullptr;
  HBITMAP colour = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HBITMAP mask = CreateBitmap(cx, cy, 1, 1, nullptr);
  if (!colour || !mask || !bits) {
    if (colour) DeleteObject(colour);
    if (mask) DeleteObject(mask);
    return nullptr;
  }
  // A disc with a white rim, its edge smoothed by the alpha of each pixel.
  const COLORREF c = colourOf(level);
  const double r = std::min(cx, cy) / 2.0 - 0.5, mx = cx / 2.0, my = cy / 2.0;
  auto* px = static_cast<uint32_t*>(bits);
  for (int y = 0; y < cy; ++y)
    for (int x = 0; x < cx; ++x) {
      const double dx = x + 0.5 - mx, dy = y + 0.5 - my;
      const double d = std::sqrt(dx * dx + dy * dy);
      const double alpha = std::clamp(r - d + 0.5, 0.0, 1.0);
      const bool rim = d > r - std::max(1.0, r / 6);
      const int red = rim ? 255 : GetRValue(c), green = rim ? 255 : GetGValue(c),
                blue = rim ? 255 : GetBValue(c);
      const auto a = static_cast<uint32_t>(alpha * 255);
      // Premultiplied, as the system draws icons with an alpha channel.
      px[y * cx + x] = a << 24 | (red * a / 255) << 16 | (green * a / 255) << 8 | (blue * a / 255);
    }
  ICONINFO ii{TRUE, 0, 0, mask, colour};
  made = CreateIconIndirect(&ii);
  DeleteObject(colour);
  DeleteObject(mask);
  return made;
}

NOTIFYICONDATAW NotifyArea::data(UINT flags) const {
  NOTIFYICONDATAW d{};
  d.cbSize = sizeof d;
  d.hWnd = window_;
  d.uID = kIconId;
  d.uFlags = flags;
  return d;
}

bool NotifyArea::add() {
  NOTIFYICONDATAW d = data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
  d.uCallbackMessage = kIconMessage;
  d.hIcon = icon(icon_.level);
  copyInto(d.szTip, std::size(d.szTip), icon_.tip);
  return notify(NIM_ADD, d);
}

bool NotifyArea::show(const platform::Platform::TrayIcon& icon) {
  if (!window_) return false;
  icon_ = icon;
  if (!shown_) {
    shown_ = add();
    return shown_;
  }
  NOTIFYICONDATAW d = data(NIF_ICON | NIF_TIP);
  d.hIcon = this->icon(icon_.level);
  copyInto(d.szTip, std::size(d.szTip), icon_.tip);
  return notify(NIM_MODIFY, d);
}

bool NotifyArea::balloon(const std::string& text) {
  if (!shown_) return false;
  NOTIFYICONDATAW d = data(NIF_INFO);
  copyInto(d.szInfo, std::size(d.szInfo), text);
  copyInto(d.szInfoTitle, std::size(d.szInfoTitle), "Velquin");
  // The program sounds its own warning once.
  d.dwInfoFlags = NIIF_WARNING | NIIF_NOSOUND;
  return notify(NIM_MODIFY, d);
}

void NotifyArea::remove() {
  if (!shown_) return;
  NOTIFYICONDATAW d = data(0);
  notify(NIM_DELETE, d);
  shown_ = false;
  icon_ = {};
}

void NotifyArea::popupMenu() {
  HMENU m = CreatePopupMenu();
  if (!m) return;
  for (size_t i = 0; i < icon_.menu.size(); ++i)
    AppendMenuW(m, MF_STRING, kFirstItem + i, widen(icon_.menu[i].first).c_str());
  POINT at{};
  GetCursorPos(&at);
  // Without the front, the menu would not close when the user clicks
  // elsewhere.
  SetForegroundWindow(window_);
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenu(m, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, window_, nullptr));
  PostMessageW(window_, WM_NULL, 0, 0);
  DestroyMenu(m);
  if (chosen >= kFirstItem && chosen - kFirstItem < icon_.menu.size()) {
    const std::function<void()> run = icon_.menu[chosen - kFirstItem].second;
    if (run) invoke_(run);
  }
}

LRESULT NotifyArea::handle(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == taskbarCreated_ && taskbarCreated_ != 0) {
    // The shell started again: it has forgotten the icon.
    if (shown_) shown_ = add();
    return 0;
  }
  if (msg == kIconMessage) {
    switch (LOWORD(lp)) {
      case WM_LBUTTONUP:
      case NIN_SELECT:
      case NIN_KEYSELECT:
        if (icon_.onClick) {
          const std::function<void()> run = icon_.onClick;
          invoke_(run);
        }
        break;
      case WM_RBUTTONUP:
      case WM_CONTEXTMENU: popupMenu(); break;
      default: break;
    }
    return 0;
  }
  return DefWindowProcW(window_, msg, wp, lp);
}

LRESULT CALLBACK NotifyArea::proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<NotifyArea*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->window_ = w;
    SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<NotifyArea*>(GetWindowLongPtrW(w, GWLP_USERDATA));
  if (!self) return DefWindowProcW(w, msg, wp, lp);
  return self->handle(msg, wp, lp);
}

}  // namespace velquin::win32
