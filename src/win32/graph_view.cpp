#include "win32/graph_view.h"

#include <commctrl.h>
#include <wincodec.h>
#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "form/form.h"
#include "form/graph_doc.h"
#include "form/line_times.h"
#include "win32/ole_on_demand.h"
#include "win32/platform_win32.h"
#include "win32/renderer.h"
#include "win32/system_library.h"
#include "win32/text.h"

namespace velquin::win32 {

namespace {

const wchar_t kGraphClass[] = L"VelquinGraph";
const wchar_t kSplitterClass[] = L"VelquinSplitter";
constexpr UINT_PTR kShowTimer = 1;
// Replies that pour in are drawn at most this often.
constexpr DWORD kShowEveryMs = 150;
enum Command : UINT { kFirstItem = 1 };

// The image encoder's identities, named here so that no import library of
// the encoder is needed: the system's own component is found by them.
constexpr CLSID kWicFactory = {0xcacaf262, 0x9370, 0x4615,
                               {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
constexpr IID kWicFactoryIid = {0xec5ec8a9, 0xc395, 0x4314,
                                {0x9c, 0x77, 0x54, 0xd7, 0xa9, 0x35, 0xff, 0x70}};
constexpr GUID kPngFormat = {0x1b7cfaf4, 0x713f, 0x473c,
                             {0xbb, 0xcd, 0x61, 0x37, 0x42, 0x5f, 0xae, 0xaf}};
constexpr GUID kBgr32 = {0x6fddc324, 0x4e03, 0x4bfe,
                         {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0e}};

template <class T>
struct Com {
  T* p = nullptr;
  ~Com() {
    if (p) p->Release();
  }
  T** out() { return &p; }
  T* operator->() const { return p; }
};

bool highContrast() {
  HIGHCONTRASTW hc{};
  hc.cbSize = sizeof hc;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) &&
         (hc.dwFlags & HCF_HIGHCONTRASTON);
}

// One colour per series; in a high-contrast theme, the theme's own.
COLORREF seriesColor(size_t s, bool contrast) {
  if (contrast) {
    const int sys[] = {COLOR_WINDOWTEXT, COLOR_HOTLIGHT, COLOR_HIGHLIGHT, COLOR_GRAYTEXT};
    return GetSysColor(sys[s % 4]);
  }
  const COLORREF palette[] = {RGB(31, 119, 180), RGB(44, 160, 44),  RGB(148, 103, 189),
                              RGB(140, 86, 75),  RGB(23, 190, 207), RGB(188, 189, 34)};
  return palette[s % 6];
}

// A lost request at the foot: a timeout red, the other kinds their own.
COLORREF lostColor(int32_t kind, bool contrast) {
  if (contrast) return GetSysColor(kind == -1 ? COLOR_HIGHLIGHT : COLOR_HOTLIGHT);
  switch (kind) {
    case -1: return RGB(220, 0, 0);
    case -2: return RGB(230, 130, 0);
    case -3: return RGB(160, 0, 160);
    case -5: return RGB(0, 140, 110);  // a refused connection, as the list's "拒否"
    default: return RGB(90, 90, 90);
  }
}

// A step between clock labels that leaves room for each.
long long timeStep(long long span, int width, int labelWidth) {
  static const long long steps[] = {
      1000,     2000,     5000,      10000,     15000,     30000,    60000,
      120000,   300000,   600000,    900000,    1800000,   3600000,  7200000,
      10800000, 21600000, 43200000,  86400000,  172800000, 604800000};
  for (long long s : steps)
    if (static_cast<long long>(width) * s / std::max(1LL, span) >= labelWidth) return s;
  return steps[std::size(steps) - 1];
}

class GraphView final : public NativeControl {
 public:
  explicit GraphView(const NativeParams& p) : NativeControl(p), doc_(*p.model.graph()) {}
  ~GraphView() override {
    doc_.onShow = nullptr;
    doc_.copyPicture = nullptr;
    doc_.savePicture = nullptr;
    if (tip_) DestroyWindow(tip_);
    if (hwnd_) KillTimer(hwnd_, kShowTimer);
  }

  void create() override {
    registerClass(kGraphClass, objectProc<GraphView>, IDC_CROSS);
    hwnd_ = make(kGraphClass, stateStyle(), 0, L"");
    doc_.onShow = [this] { changed(); };
    doc_.copyPicture = [this] { return copy(); };
    doc_.savePicture = [this](const std::string& path) { return save(path); };
    tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
    if (tip_) {
      r_.setName(tip_, model_.name() + "Tip");
      TOOLINFOW ti{};
      ti.cbSize = sizeof ti;
      ti.uFlags = TTF_TRACK | TTF_ABSOLUTE | TTF_IDISHWND;
      ti.hwnd = hwnd_;
      ti.uId = reinterpret_cast<UINT_PTR>(hwnd_);
      ti.lpszText = const_cast<wchar_t*>(L"");
      SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
  }

 private:
  friend LRESULT CALLBACK objectProc<GraphView>(HWND, UINT, WPARAM, LPARAM);

  // The points changed: drawn again, at most every kShowEveryMs.
  void changed() {
    if (!hwnd_ || timer_) return;
    const DWORD since = GetTickCount() - lastShown_;
    if (since >= kShowEveryMs) {
      lastShown_ = GetTickCount();
      InvalidateRect(hwnd_, nullptr, FALSE);
      return;
    }
    timer_ = SetTimer(hwnd_, kShowTimer, kShowEveryMs - since, nullptr) != 0;
  }

  // Where the values go: the client less the room of the labels.
  struct Frame {
    RECT plot;
    long long from, span;
    int top;
    int x(long long t) const {
      return plot.left + static_cast<int>((t - from) * (plot.right - plot.left) / span);
    }
    int y(int v) const {
      return plot.bottom - static_cast<int>(static_cast<long long>(std::min(v, top)) *
                                            (plot.bottom - plot.top) / top);
    }
  };

  SIZE textSize(HDC dc, const std::wstring& s) const {
    SIZE z{};
    GetTextExtentPoint32W(dc, s.c_str(), static_cast<int>(s.size()), &z);
    return z;
  }

  Frame frame(HDC dc, const RECT& rc) const {
    Frame f;
    f.top = std::max(1, doc_.top());
    const SIZE label = textSize(dc, widen(std::to_string(f.top) + " ms"));
    const SIZE clock = textSize(dc, L"00:00:00");
    f.plot = {label.cx + r_.scale(8), r_.scale(8) + label.cy / 2,
              rc.right - clock.cx / 2 - r_.scale(4), rc.bottom - clock.cy - r_.scale(6)};
    if (f.plot.right <= f.plot.left) f.plot.right = f.plot.left + 1;
    if (f.plot.bottom <= f.plot.top) f.plot.bottom = f.plot.top + 1;
    const form::GraphDoc::Frame time = doc_.frame();
    f.from = time.from;
    f.span = time.span;
    return f;
  }

  // The whole picture, into any device context.
  void render(HDC dc, const RECT& rc) const {
    const bool contrast = highContrast();
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF grid = contrast ? GetSysColor(COLOR_GRAYTEXT) : RGB(225, 225, 225);
    FillRect(dc, &rc, GetSysColorBrush(COLOR_WINDOW));
    HGDIOBJ oldFont = SelectObject(dc, font_ ? font_ : r_.font(model_.font()));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text);
    const form::GraphDoc::Window w = doc_.window();
    if (w.empty) {
      const std::wstring none = L"ping の応答はまだありません";
      RECT all = rc;
      SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
      DrawTextW(dc, none.c_str(), -1, &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      SelectObject(dc, oldFont);
      return;
    }
    const Frame f = frame(dc, rc);
    const int thin = std::max(1, r_.scale(1));
    HPEN gridPen = CreatePen(PS_SOLID, 1, grid);
    HGDIOBJ oldPen = SelectObject(dc, gridPen);
    // The scale up in round steps: a top of 10, 50, 100, 500 ... in five,
    // of 20, 200 ... in four.
    int steps = 5;
    for (int t = f.top; t >= 10 && t % 10 == 0; t /= 10) steps = t / 10 == 2 ? 4 : 5;
    for (int k = 0; k <= steps; ++k) {
      const int v = static_cast<int>(static_cast<long long>(f.top) * k / steps);
      const int y = f.y(v);
      MoveToEx(dc, f.plot.left, y, nullptr);
      LineTo(dc, f.plot.right, y);
      const std::wstring s = widen(std::to_string(v) + " ms");
      const SIZE z = textSize(dc, s);
      TextOutW(dc, f.plot.left - z.cx - r_.scale(4), y - z.cy / 2, s.c_str(),
               static_cast<int>(s.size()));
    }
    // The clock across, at steps that leave room for each label.
    const SIZE clock = textSize(dc, L"00:00:00");
    const long long step =
        timeStep(f.span, f.plot.right - f.plot.left, clock.cx + r_.scale(16));
    for (long long t = (f.from + step - 1) / step * step; t <= f.from + f.span; t += step) {
      const int x = f.x(t);
      MoveToEx(dc, x, f.plot.top, nullptr);
      LineTo(dc, x, f.plot.bottom);
      const std::wstring s = widen(form::LineTimes::format(t).substr(0, 8));
      TextOutW(dc, x - clock.cx / 2, f.plot.bottom + r_.scale(3), s.c_str(),
               static_cast<int>(s.size()));
    }
    SelectObject(dc, oldPen);
    DeleteObject(gridPen);
    RECT frameRect = f.plot;
    FrameRect(dc, &frameRect, GetSysColorBrush(COLOR_GRAYTEXT));

    // The oldest and the newest point sit on the frame's left and right
    // edges: their dots and marks are drawn whole across them.
    const int reach = std::max(2 * thin, r_.scale(6) / 2) + 1;
    HRGN clip = CreateRectRgn(f.plot.left - reach, f.plot.top - r_.scale(4),
                              f.plot.right + reach, f.plot.bottom + 1);
    SelectClipRgn(dc, clip);
    for (size_t s = 0; s < doc_.source().seriesCount(); ++s) drawSeries(dc, f, s, contrast, thin);
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);
    SelectObject(dc, oldFont);
  }

  // A lost request at the foot, in the colour of its kind.
  void markLoss(HDC dc, const Frame& f, int x, int32_t kind, HBRUSH (&brushes)[5], bool contrast,
                int thin) const {
    HBRUSH& b = brushes[std::min(-kind, 5) - 1];
    if (!b) b = CreateSolidBrush(lostColor(kind, contrast));
    const int mark = r_.scale(6);
    RECT r{x - thin, f.plot.bottom - mark, x + thin + 1, f.plot.bottom};
    FillRect(dc, &r, b);
  }

  // A value above the scale: a mark at the top.
  void markCutOff(HDC dc, const Frame& f, int x, HBRUSH dot) const {
    const int mark = r_.scale(6);
    const POINT tri[] = {{x - mark / 2, f.plot.top - mark / 2},
                         {x + mark / 2, f.plot.top - mark / 2},
                         {x, f.plot.top + mark / 2}};
    HGDIOBJ old = SelectObject(dc, dot);
    Polygon(dc, tri, 3);
    SelectObject(dc, old);
  }

  // Each received reply a point joined to the next, at most four points a
  // pixel column; a lost one breaks the line and is marked at the foot; a
  // value above the scale is cut off with a mark at the top.
  void drawSeries(HDC dc, const Frame& f, size_t s, bool contrast, int thin) const {
    const int width = f.plot.right - f.plot.left;
    doc_.columns(s, f.from, f.span, width, columns_);
    if (std::any_of(columns_.begin(), columns_.end(),
                    [](const form::GraphDoc::Column& c) { return c.summed; }))
      return drawBands(dc, f, s, contrast, thin);
    size_t received = 0;
    for (const form::GraphDoc::Column& c : columns_) received += c.any;
    const bool sparse = received * 4 < static_cast<size_t>(width);
    const COLORREF color = seriesColor(s, contrast);
    HPEN pen = CreatePen(PS_SOLID, thin * (sparse ? 2 : 1), color);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HBRUSH dot = CreateSolidBrush(color);
    HBRUSH lostBrush[5] = {};
    std::vector<POINT> line;
    auto flush = [&] {
      if (line.size() > 1) Polyline(dc, line.data(), static_cast<int>(line.size()));
      line.clear();
    };
    for (int i = 0; i < width; ++i) {
      const form::GraphDoc::Column& c = columns_[static_cast<size_t>(i)];
      const int x = f.plot.left + i;
      if (c.lost < 0) markLoss(dc, f, x, c.lost, lostBrush, contrast, thin);
      if (!c.any) continue;
      if (!c.joined) flush();
      line.push_back({x, f.y(c.first)});
      if (c.low != c.high) {
        line.push_back({x, f.y(c.low)});
        line.push_back({x, f.y(c.high)});
      }
      line.push_back({x, f.y(c.last)});
      if (c.high > f.top) markCutOff(dc, f, x, dot);
      if (sparse) {
        for (int32_t v : {c.first, c.last}) {
          const int y = f.y(v);
          RECT r{x - 2 * thin, y - 2 * thin, x + 2 * thin + 1, y + 2 * thin + 1};
          FillRect(dc, &r, dot);
        }
      }
    }
    flush();
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    DeleteObject(dot);
    for (HBRUSH b : lostBrush)
      if (b) DeleteObject(b);
  }

  // A series whose older part is summed up, over a range long enough to
  // show it: every column, of summaries and of points alike, a band from
  // the lowest to the highest value with the average as a line, so that
  // the two parts look the same where they meet; losses marked at the foot.
  void drawBands(HDC dc, const Frame& f, size_t s, bool contrast, int thin) const {
    const int width = f.plot.right - f.plot.left;
    const COLORREF color = seriesColor(s, contrast);
    // The band: the series' colour a third over the window's.
    const COLORREF back = GetSysColor(COLOR_WINDOW);
    auto blend = [](int a, int b) { return (a + 2 * b) / 3; };
    const COLORREF light = contrast ? GetSysColor(COLOR_GRAYTEXT)
                                    : RGB(blend(GetRValue(color), GetRValue(back)),
                                          blend(GetGValue(color), GetGValue(back)),
                                          blend(GetBValue(color), GetBValue(back)));
    HBRUSH band = CreateSolidBrush(light);
    HBRUSH dot = CreateSolidBrush(color);
    HBRUSH lostBrush[5] = {};
    HPEN pen = CreatePen(PS_SOLID, thin, color);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    std::vector<POINT> line;
    auto flush = [&] {
      if (line.size() > 1) Polyline(dc, line.data(), static_cast<int>(line.size()));
      line.clear();
    };
    for (int i = 0; i < width; ++i) {
      const form::GraphDoc::Column& c = columns_[static_cast<size_t>(i)];
      const int x = f.plot.left + i;
      if (c.lost < 0) markLoss(dc, f, x, c.lost, lostBrush, contrast, thin);
      if (!c.any) {
        flush();
        continue;
      }
      RECT r{x, f.y(c.high), x + 1, f.y(c.low) + 1};
      FillRect(dc, &r, band);
      line.push_back({x, f.y(c.average())});
      if (c.high > f.top) markCutOff(dc, f, x, dot);
    }
    flush();
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    DeleteObject(band);
    DeleteObject(dot);
    for (HBRUSH b : lostBrush)
      if (b) DeleteObject(b);
  }

  void paint() {
    PAINTSTRUCT ps;
    HDC target = BeginPaint(hwnd_, &ps);
    RECT rc;
    GetClientRect(hwnd_, &rc);
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bmp = CreateCompatibleBitmap(target, std::max<LONG>(1, rc.right),
                                         std::max<LONG>(1, rc.bottom));
    HGDIOBJ old = SelectObject(dc, bmp);
    render(dc, rc);
    BitBlt(target, 0, 0, rc.right, rc.bottom, dc, 0, 0, SRCCOPY);
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
    EndPaint(hwnd_, &ps);
    lastShown_ = GetTickCount();
  }

  // The picture as shown, as a bitmap of the client's size (32 bits).
  HBITMAP picture() const {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = std::max<LONG>(1, rc.right);
    bi.bmiHeader.biHeight = -std::max<LONG>(1, rc.bottom);
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(hwnd_);
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bmp) {
      HDC dc = CreateCompatibleDC(screen);
      HGDIOBJ old = SelectObject(dc, bmp);
      render(dc, rc);
      SelectObject(dc, old);
      DeleteDC(dc);
    }
    ReleaseDC(hwnd_, screen);
    return bmp;
  }

  bool copy() {
    HBITMAP bmp = picture();
    if (!bmp) return false;
    bool ok = false;
    if (OpenClipboard(hwnd_)) {
      EmptyClipboard();
      ok = SetClipboardData(CF_BITMAP, bmp) != nullptr;
      CloseClipboard();
    }
    if (!ok) DeleteObject(bmp);
    return ok;
  }

  bool save(const std::string& path) {
    HBITMAP bmp = picture();
    if (!bmp) return false;
    const std::string png = pngBytes(bmp);
    DeleteObject(bmp);
    return !png.empty() && replaceFile(path, png).ok;
  }

  void contextMenu(int x, int y) {
    if (x == -1 && y == -1) {
      POINT p{0, 0};
      ClientToScreen(hwnd_, &p);
      x = p.x;
      y = p.y;
    }
    const std::vector<form::GraphDoc::MenuItem>& items = doc_.menu();
    HMENU menu = CreatePopupMenu();
    HMENU sub = nullptr;
    std::string subCaption;
    for (size_t i = 0; i < items.size(); ++i) {
      const form::GraphDoc::MenuItem& m = items[i];
      if (m.submenu != subCaption) {  // a submenu ends or begins here
        if (sub) AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub),
                             widen(subCaption).c_str());
        sub = m.submenu.empty() ? nullptr : CreatePopupMenu();
        subCaption = m.submenu;
      }
      HMENU into = sub ? sub : menu;
      if (m.separatorBefore && !(sub && GetMenuItemCount(sub) == 0))
        AppendMenuW(into, MF_SEPARATOR, 0, nullptr);
      AppendMenuW(into, MF_STRING | (m.checked && m.checked() ? MF_CHECKED : 0),
                  kFirstItem + i, widen(m.caption).c_str());
    }
    if (sub) AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(sub),
                         widen(subCaption).c_str());
    hideTip();
    const UINT cmd = static_cast<UINT>(TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, x, y, 0, hwnd_, nullptr));
    DestroyMenu(menu);
    if (cmd >= kFirstItem && cmd - kFirstItem < items.size()) {
      const std::string action = items[cmd - kFirstItem].action;
      r_.fromUser([this, &action] { model_.form().execute(action); });
    }
  }

  // The reply nearest the mouse, its time and value beside it.
  void mouse(int x, int y) {
    if (!tracking_) {
      TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, hwnd_, 0};
      tracking_ = TrackMouseEvent(&tme) != FALSE;
    }
    RECT rc;
    GetClientRect(hwnd_, &rc);
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, font_ ? font_ : r_.font(model_.font()));
    const form::GraphDoc::Window w = doc_.window();
    const Frame f = frame(dc, rc);
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    if (w.empty || !tip_) return hideTip();
    const long long t = f.from + static_cast<long long>(x - f.plot.left) * f.span /
                                     std::max(1L, f.plot.right - f.plot.left);
    const int v = static_cast<int>(static_cast<long long>(f.plot.bottom - y) * f.top /
                                   std::max(1L, f.plot.bottom - f.plot.top));
    const form::GraphDoc::Nearest hit = doc_.nearest(t, v);
    if (!hit.found) return hideTip();
    const std::wstring text =
        widen(hit.summary ? doc_.source().describeSummary(hit.series, hit.index)
                          : doc_.source().describe(hit.series, hit.index));
    TOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = hwnd_;
    ti.uId = reinterpret_cast<UINT_PTR>(hwnd_);
    ti.lpszText = const_cast<wchar_t*>(text.c_str());
    if (text != tipText_) {
      SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
      tipText_ = text;
    }
    POINT p{x + r_.scale(14), y + r_.scale(14)};
    ClientToScreen(hwnd_, &p);
    SendMessageW(tip_, TTM_TRACKPOSITION, 0, MAKELPARAM(p.x, p.y));
    if (!tipShown_) SendMessageW(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
    tipShown_ = true;
  }

  void hideTip() {
    if (!tip_ || !tipShown_) return;
    TOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = hwnd_;
    ti.uId = reinterpret_cast<UINT_PTR>(hwnd_);
    SendMessageW(tip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
    tipShown_ = false;
  }

  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_PAINT:
        paint();
        return 0;
      case WM_ERASEBKGND:
        return 1;
      case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wp);
        if (LOWORD(lp)) InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
      case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
      case WM_SIZE:
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
      case WM_TIMER:
        if (wp == kShowTimer) {
          KillTimer(hwnd_, kShowTimer);
          timer_ = false;
          lastShown_ = GetTickCount();
          InvalidateRect(hwnd_, nullptr, FALSE);
        }
        return 0;
      case WM_MOUSEMOVE:
        mouse(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
      case WM_MOUSELEAVE:
        tracking_ = false;
        hideTip();
        return 0;
      case WM_CONTEXTMENU:
        contextMenu(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
      case WM_SETTINGCHANGE:
      case WM_SYSCOLORCHANGE:
        InvalidateRect(hwnd_, nullptr, FALSE);
        return 0;
      default:
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
  }

  form::GraphDoc& doc_;
  HFONT font_ = nullptr;  // the window's, as the renderer sets it
  mutable std::vector<form::GraphDoc::Column> columns_;  // reused at every painting
  HWND tip_ = nullptr;
  std::wstring tipText_;
  bool tipShown_ = false;
  bool tracking_ = false;
  bool timer_ = false;
  DWORD lastShown_ = 0;
};

// Dragged up or down, it sizes the control docked just before it.
class Splitter final : public NativeControl {
 public:
  using NativeControl::NativeControl;

  void create() override {
    registerClass(kSplitterClass, objectProc<Splitter>, IDC_SIZENS);
    hwnd_ = make(kSplitterClass, stateStyle(), 0, L"");
  }

 private:
  friend LRESULT CALLBACK objectProc<Splitter>(HWND, UINT, WPARAM, LPARAM);

  form::Control* sized() const {
    const form::Control* parent = model_.parent();
    if (!parent) return nullptr;
    form::Control* before = nullptr;
    for (form::Control* c : parent->children()) {
      if (c == &model_) return before;
      if (c->visible() && c->style().align == model_.style().align) before = c;
    }
    return nullptr;
  }

  void drag(int screenY) {
    form::Control* target = sized();
    if (!target) return;
    const form::Control* parent = model_.parent();
    const int most = std::max(40, parent->bounds().height - 60);
    const int height = std::clamp(startHeight_ + r_.unscale(screenY - startY_), 40, most);
    if (height == target->bounds().height) return;
    r_.fromUser([&] {
      form::Rect b = target->bounds();
      b.height = height;
      target->setBounds(b);
      model_.form().relayout();
    });
  }

  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
      case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        RECT rc;
        GetClientRect(hwnd_, &rc);
        FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
        DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_TOP | BF_BOTTOM);
        EndPaint(hwnd_, &ps);
        return 0;
      }
      case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wp);
        return 0;
      case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
      case WM_LBUTTONDOWN: {
        form::Control* target = sized();
        if (!target) return 0;
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        ClientToScreen(hwnd_, &p);
        startY_ = p.y;
        startHeight_ = target->bounds().height;
        SetCapture(hwnd_);
        return 0;
      }
      case WM_MOUSEMOVE:
        if (GetCapture() == hwnd_) {
          POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
          ClientToScreen(hwnd_, &p);
          drag(p.y);
        }
        return 0;
      case WM_LBUTTONUP:
        if (GetCapture() == hwnd_) ReleaseCapture();
        return 0;
      default:
        return DefWindowProcW(hwnd_, msg, wp, lp);
    }
  }

  HFONT font_ = nullptr;  // kept for whoever asks, as every control does
  int startY_ = 0;
  int startHeight_ = 0;
};

}  // namespace

std::string pngBytes(HBITMAP bitmap) {
  BITMAP info{};
  if (!GetObjectW(bitmap, sizeof info, &info) || info.bmBitsPixel != 32 || !info.bmBits)
    return {};
  // Encoded in memory: the file is then written as every file the program
  // saves at once, through a temporary file of its own. COM, and its
  // library, only from the first picture on; then kept.
  needOle();
  const auto create =
      systemFunction<decltype(&CoCreateInstance)>(L"ole32.dll", "CoCreateInstance");
  const auto memoryStream =
      systemFunction<decltype(&CreateStreamOnHGlobal)>(L"ole32.dll", "CreateStreamOnHGlobal");
  const auto memoryBlock =
      systemFunction<decltype(&GetHGlobalFromStream)>(L"ole32.dll", "GetHGlobalFromStream");
  std::string bytes;
  {
    Com<IWICImagingFactory> factory;
    Com<IStream> memory;
    Com<IWICBitmapEncoder> encoder;
    Com<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = kBgr32;
    const UINT w = static_cast<UINT>(info.bmWidth), h = static_cast<UINT>(info.bmHeight);
    const UINT stride = static_cast<UINT>(info.bmWidthBytes);
    STATSTG size{};
    HGLOBAL block = nullptr;
    const bool ok =
        create && memoryStream && memoryBlock &&
        SUCCEEDED(create(kWicFactory, nullptr, CLSCTX_INPROC_SERVER, kWicFactoryIid,
                         reinterpret_cast<void**>(factory.out()))) &&
        SUCCEEDED(memoryStream(nullptr, TRUE, memory.out())) &&
        SUCCEEDED(factory->CreateEncoder(kPngFormat, nullptr, encoder.out())) &&
        SUCCEEDED(encoder->Initialize(memory.p, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(frame.out(), nullptr)) &&
        SUCCEEDED(frame->Initialize(nullptr)) && SUCCEEDED(frame->SetSize(w, h)) &&
        SUCCEEDED(frame->SetPixelFormat(&format)) && format == kBgr32 &&
        SUCCEEDED(frame->WritePixels(h, stride, stride * h, static_cast<BYTE*>(info.bmBits))) &&
        SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit()) &&
        SUCCEEDED(memory->Stat(&size, STATFLAG_NONAME)) &&
        SUCCEEDED(memoryBlock(memory.p, &block));
    if (ok) {
      if (const void* p = GlobalLock(block)) {
        bytes.assign(static_cast<const char*>(p), static_cast<size_t>(size.cbSize.QuadPart));
        GlobalUnlock(block);
      }
    }
  }
  return bytes;
}

std::unique_ptr<NativeControl> makeGraphView(const NativeParams& p) {
  return std::make_unique<GraphView>(p);
}

std::unique_ptr<NativeControl> makeSplitter(const NativeParams& p) {
  return std::make_unique<Splitter>(p);
}

}  // namespace velquin::win32
