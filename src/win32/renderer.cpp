#include "win32/renderer.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cwctype>
#include <exception>
#include <stdexcept>

#include "win32/controls.h"
#include "win32/output_view.h"
#include "win32/text.h"

namespace velquin::win32 {

using form::Kind;

namespace {

const wchar_t kContainerClass[] = L"VelquinContainer";
const wchar_t kNameProp[] = L"Name";
const wchar_t kFaceName[] = L"ＭＳ Ｐゴシック";
// The window's own timer, for the model's requests (Form::requestTimer).
constexpr UINT_PTR kFormTimer = 0x5649;
constexpr int kFontHeight = 12;

void registerContainerClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(GetModuleHandleW(nullptr), kContainerClass, &wc)) return;
  wc = {};
  wc.cbSize = sizeof wc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpfnWndProc = Renderer::containerProc;
  wc.lpszClassName = kContainerClass;
  RegisterClassExW(&wc);
}

// Each top-level window has a class of its own, named after its model:
// "frmMain" is a TfrmMain, "frmAbout" a TfrmAbout.
std::wstring registerWindowClass(const std::string& formName) {
  std::wstring cls = L"T" + widen(formName);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(GetModuleHandleW(nullptr), cls.c_str(), &wc)) return cls;
  wc = {};
  wc.cbSize = sizeof wc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpfnWndProc = Renderer::mainProc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
  if (!wc.hIcon) wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  wc.lpszClassName = cls.c_str();
  RegisterClassExW(&wc);
  return cls;
}

// Position of the accelerator character in a caption ("&G" -> 'g'), or 0.
wchar_t mnemonic(const std::string& caption) {
  std::wstring w = widen(caption);
  for (size_t i = 0; i + 1 < w.size(); ++i) {
    if (w[i] != L'&') continue;
    if (w[i + 1] == L'&') {
      ++i;
      continue;
    }
    return static_cast<wchar_t>(std::towlower(w[i + 1]));
  }
  return 0;
}

// Notifications from a child window go to the object that stands for it.
bool routeChild(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_COMMAND: {
      HWND from = reinterpret_cast<HWND>(lp);
      if (NativeControl* o = objectOf(from)) {
        o->command(from, HIWORD(wp));
        result = 0;
        return true;
      }
      return false;
    }
    case WM_NOTIFY: {
      auto* n = reinterpret_cast<NMHDR*>(lp);
      if (NativeControl* o = objectOf(n->hwndFrom)) {
        result = o->notify(*n);
        return true;
      }
      return false;
    }
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      NativeControl* o = objectOf(reinterpret_cast<HWND>(lp));
      if (!o) return false;
      if (o->model().kind() == Kind::Edit || o->model().kind() == Kind::Memo)
        return false;  // read-only fields keep the system's look
      int color = o->model().font().color;
      if (color >= 0)
        SetTextColor(dc, RGB((color >> 16) & 0xFF, (color >> 8) & 0xFF,
                             color & 0xFF));
      SetBkMode(dc, TRANSPARENT);
      result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      return true;
    }
    case WM_SETCURSOR: {
      NativeControl* o = objectOf(reinterpret_cast<HWND>(wp));
      if (o && o->model().style().handCursor) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        result = TRUE;
        return true;
      }
      return false;
    }
    default:
      return false;
  }
}

void paintContainer(HWND h, NativeControl* o, Renderer& r) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  if (o) {
    const form::Control& m = o->model();
    RECT rc;
    GetClientRect(h, &rc);
    if (m.kind() == Kind::GroupBox || m.kind() == Kind::RadioGroup) {
      HGDIOBJ old = SelectObject(dc, r.font(m.font()));
      TEXTMETRICW tm;
      GetTextMetricsW(dc, &tm);
      RECT frame = rc;
      frame.top += tm.tmHeight / 2;
      DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
      std::wstring t = widen(m.text());
      if (!t.empty()) {
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        SetTextColor(dc, GetSysColor(m.enabledInTree() ? COLOR_BTNTEXT
                                                       : COLOR_GRAYTEXT));
        RECT tr{r.scale(8), 0, rc.right - r.scale(8), tm.tmHeight};
        DrawTextW(dc, t.c_str(), static_cast<int>(t.size()), &tr,
                  DT_SINGLELINE | DT_LEFT | DT_TOP);
      }
      SelectObject(dc, old);
    } else if (m.kind() == Kind::Panel && m.style().bevel) {
      DrawEdge(dc, &rc, BDR_RAISEDINNER, BF_RECT);
    }
  }
  EndPaint(h, &ps);
}

}  // namespace

const wchar_t* Renderer::containerClass() { return kContainerClass; }

LRESULT CALLBACK Renderer::containerProc(HWND h, UINT msg, WPARAM wp,
                                         LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    // Bind the object to its window before any other message arrives.
    if (auto* o = static_cast<NativeControl*>(cs->lpCreateParams)) o->bind(h);
    return DefWindowProcW(h, msg, wp, lp);
  }
  if (msg == WM_NCDESTROY) {
    if (NativeControl* o = objectOf(h)) o->renderer().windows().release(h);
    return DefWindowProcW(h, msg, wp, lp);
  }
  Renderer* r = of(h);
  // No exception leaves a window procedure: it would unwind through the
  // system's code.
  try {
    LRESULT result = 0;
    if (routeChild(msg, wp, lp, result)) return result;
    if (msg == WM_PAINT && r) {
      paintContainer(h, objectOf(h), *r);
      return 0;
    }
    if (msg == WM_SETFOCUS)
      if (NativeControl* o = objectOf(h)) focusArrived(*o);
  } catch (const std::exception& e) {
    if (r) r->reportError(e.what());
    return 0;
  } catch (...) {
    if (r) r->reportError("unexpected error");
    return 0;
  }
  return DefWindowProcW(h, msg, wp, lp);
}

Renderer::Renderer(form::Form& form) : form_(form) { registerContainerClass(); }

Renderer::~Renderer() {
  form_.setView(nullptr);
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
  natives_.clear();
  for (auto& [key, f] : fonts_) DeleteObject(f);
  for (ATOM a : atoms_) GlobalDeleteAtom(a);
}

void Renderer::createWhenShown(HWND owner) {
  owner_ = owner;
  deferred_ = true;
  form_.setView(this);
}

void Renderer::create(HWND owner) {
  deferred_ = false;
  // The model's window bounds are screen pixels, already sized for the
  // screen: what the settings file stores is what opens next time.
  const form::Rect& b = form_.windowBounds();
  HDC screen = GetDC(nullptr);
  dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (dpi_ <= 0) dpi_ = 96;
  const std::wstring cls = registerWindowClass(form_.name());
  const bool dialog = form_.dialogFrame();
  const DWORD style = dialog ? WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN
                             : WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
  const DWORD exStyle =
      WS_EX_CONTROLPARENT | (dialog ? WS_EX_DLGMODALFRAME : 0);
  hwnd_ = CreateWindowExW(exStyle, cls.c_str(), widen(form_.caption()).c_str(),
                          style, b.left, b.top, b.width, b.height, owner,
                          nullptr, GetModuleHandleW(nullptr), this);
  if (!hwnd_)
    throw std::runtime_error("window " + form_.name() + " cannot be created: " +
                             systemMessage(GetLastError()));
  setName(hwnd_, form_.name());
  // A window that knows its monitor takes that monitor's DPI.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  if (auto fn = reinterpret_cast<GetDpiForWindowFn>(GetProcAddress(
          GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")))
    if (UINT d = fn(hwnd_)) dpi_ = static_cast<int>(d);
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, hwnd_, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, scale(360));

  // The model is laid out for the window's client area first, so that each
  // control's window is made where it belongs. Only what is on view gets
  // its window now; a page gets its windows when it is first shown (most of
  // the program's windows are on pages that a user may never open).
  form_.setView(this);
  RECT rc;
  GetClientRect(hwnd_, &rc);
  fromUser([&] { form_.setClientSize(unscale(rc.right), unscale(rc.bottom)); });
  realize();
  addWindowCommands();
  for (auto& n : natives_)
    if (n->model().kind() == Kind::PageControl) n->apply(form::Prop::ActivePage);
  syncWindowBounds();
  // A request made before the window existed.
  if (form_.timerMs() >= 0) timerRequested(form_.timerMs());
}

bool Renderer::onView(const form::Control& c) {
  for (const form::Control* at = &c; at; at = at->parent())
    if (at->kind() == Kind::Page &&
        (!at->parent() || at->parent()->activePage() != at))
      return false;
  return true;
}

void Renderer::realize() {
  const size_t first = natives_.size();
  // In the model's order, so a parent comes before its children and
  // siblings keep their order (and with it the Tab order).
  for (const auto& c : form_.controls()) {
    if (byModel_.count(c.get()) || !onView(*c)) continue;
    HWND parent = hwnd_;
    if (c->parent())
      if (NativeControl* p = native(*c->parent())) parent = p->container();
    auto n = makeNative({*this, *c, parent});
    n->create();
    setName(n->hwnd(), c->name());
    byModel_[c.get()] = n.get();
    natives_.push_back(std::move(n));
  }
  if (first == 0 || natives_.size() == first) return;
  // A page made after the start shows as its page control has it, from the
  // model's state now.
  for (size_t i = first; i < natives_.size(); ++i) {
    NativeControl& n = *natives_[i];
    if (n.model().kind() == Kind::Page) n.apply(form::Prop::Visible);
  }
  // The model's focus may have gone to a control that had no window yet.
  if (form::Control* f = form_.focused())
    for (size_t i = first; i < natives_.size(); ++i)
      if (&natives_[i]->model() == f && IsWindowVisible(natives_[i]->hwnd())) {
        SetFocus(natives_[i]->focusTarget());
        break;
      }
}

void Renderer::placeAll() {
  for (auto& n : natives_) n->place();
}

namespace {
// The renderer of each of the program's top-level windows, kept by the
// program itself: another program that subclasses the window (title-bar
// extensions, window managers, accessibility tools) changes its procedure
// and may use its user data, and the controls must go on working.
std::vector<std::pair<HWND, Renderer*>>& topWindows() {
  static std::vector<std::pair<HWND, Renderer*>> windows;
  return windows;
}
void forgetTop(HWND h) {
  std::erase_if(topWindows(), [h](const auto& w) { return w.first == h; });
}
Renderer* topRenderer(HWND top) {
  for (const auto& [h, r] : topWindows())
    if (h == top) return r;
  return nullptr;
}
}  // namespace

Renderer* Renderer::of(HWND h) {
  return h ? topRenderer(GetAncestor(h, GA_ROOT)) : nullptr;
}

NativeControl* Renderer::native(const form::Control& c) const {
  auto it = byModel_.find(&c);
  return it == byModel_.end() ? nullptr : it->second;
}

void Renderer::setName(HWND h, const std::string& name) {
  if (!h) return;
  ATOM a = GlobalAddAtomW(widen(name).c_str());
  if (!a) return;
  atoms_.push_back(a);
  SetPropW(h, kNameProp, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(a)));
}

HFONT Renderer::font(const form::Font& f) {
  int h = f.height ? f.height : kFontHeight;
  auto key = std::make_tuple(f.bold, scale(h));
  auto it = fonts_.find(key);
  if (it != fonts_.end()) return it->second;
  HFONT font = CreateFontW(-scale(h), 0, 0, 0, f.bold ? FW_BOLD : FW_NORMAL,
                           FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                           kFaceName);
  fonts_[key] = font;
  return font;
}

void Renderer::reportError(const std::string& what) {
  // Called where an exception was caught at a window procedure: reporting
  // must not throw in turn.
  try {
    MessageBoxW(hwnd_, widen(what).c_str(), L"Velquin", MB_OK | MB_ICONERROR);
  } catch (...) {
    MessageBoxW(hwnd_, L"unexpected error", L"Velquin", MB_OK | MB_ICONERROR);
  }
}

void Renderer::fromUser(const std::function<void()>& act) {
  ++depth_;
  try {
    act();
  } catch (const std::exception& e) {
    reportError(e.what());
  } catch (...) {
    reportError("unexpected error");
  }
  --depth_;
}

void Renderer::changed(form::Control& control, form::Prop prop) {
  NativeControl* n = native(control);
  if (!n) {
    // A page without its windows yet still has its tab on its page control.
    if (control.kind() == Kind::Page && control.parent() &&
        (prop == form::Prop::TabVisible || prop == form::Prop::Text))
      if (NativeControl* pc = native(*control.parent()))
        pc->apply(form::Prop::TabVisible);
    return;
  }
  // A page shown for the first time gets its windows before it appears.
  if (prop == form::Prop::ActivePage) realize();
  n->apply(prop);
}

void Renderer::appended(form::Control& memo, std::string_view text) {
  if (NativeControl* n = native(memo)) n->append(text);
}

void Renderer::focusMoved(form::Control* control) {
  if (!control) return;
  NativeControl* n = native(*control);
  if (!n) return;
  HWND focus = GetFocus();
  if (focus && n->owns(focus)) return;
  SetFocus(n->focusTarget());
}

void Renderer::windowChanged() {
  if (!hwnd_ && deferred_ && form_.windowVisible()) create(owner_);
  if (!hwnd_) return;
  std::wstring caption = widen(form_.caption());
  if (windowText(hwnd_) != caption) SetWindowTextW(hwnd_, caption.c_str());
  const form::Rect& b = form_.windowBounds();
  RECT now;
  GetWindowRect(hwnd_, &now);
  if (now.left != b.left || now.top != b.top ||
      now.right - now.left != b.width || now.bottom - now.top != b.height) {
    Quiet q(*this);
    SetWindowPos(hwnd_, nullptr, b.left, b.top, b.width, b.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  const bool shown = IsWindowVisible(hwnd_) != FALSE;
  if (form_.windowVisible() && !shown) {
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
  } else if (!form_.windowVisible() && shown) {
    ShowWindow(hwnd_, SW_HIDE);
  }
}

std::string Renderer::readText(const form::Control& memo) {
  NativeControl* n = native(memo);
  return n ? n->readText() : std::string();
}

void Renderer::timerRequested(int ms) {
  if (!hwnd_) return;
  KillTimer(hwnd_, kFormTimer);
  if (ms >= 0) SetTimer(hwnd_, kFormTimer, static_cast<UINT>(std::max(ms, 1)), nullptr);
}

void Renderer::broughtToFront() {
  if (!hwnd_ || !IsWindowVisible(hwnd_)) return;
  if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
  SetForegroundWindow(hwnd_);
}

void Renderer::syncWindowBounds() {
  if (IsIconic(hwnd_)) return;  // a minimised window keeps its bounds
  RECT rc;
  GetWindowRect(hwnd_, &rc);
  form_.setWindowBounds(
      {rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top});
}

void Renderer::applyDpi(int dpi) {
  dpi_ = dpi;
  // The controls take the new fonts before the old ones are deleted: a
  // control must never hold a deleted font.
  std::map<std::tuple<bool, int>, HFONT> old;
  old.swap(fonts_);
  for (auto& n : natives_) n->applyFont();
  for (auto& [key, f] : old) DeleteObject(f);
  placeAll();
}

LRESULT CALLBACK Renderer::mainProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    // Bind the renderer to its window before any other message arrives.
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    auto* self = static_cast<Renderer*>(cs->lpCreateParams);
    forgetTop(h);
    topWindows().emplace_back(h, self);
    self->hwnd_ = h;
    return DefWindowProcW(h, msg, wp, lp);
  }
  Renderer* r = topRenderer(h);
  if (!r) return DefWindowProcW(h, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    forgetTop(h);
    return DefWindowProcW(h, msg, wp, lp);
  }
  try {
    return r->handleMain(msg, wp, lp);
  } catch (const std::exception& e) {
    r->reportError(e.what());
  } catch (...) {
    r->reportError("unexpected error");
  }
  return 0;
}

LRESULT Renderer::handleMain(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  if (routeChild(msg, wp, lp, result)) return result;
  switch (msg) {
    case WM_SIZE:
      if (wp != SIZE_MINIMIZED) {
        int w = unscale(LOWORD(lp)), h = unscale(HIWORD(lp));
        fromUser([&] { form_.setClientSize(w, h); });
      }
      if (!quiet()) syncWindowBounds();
      return 0;
    case WM_MOVE:
      if (!quiet()) syncWindowBounds();
      return 0;
    case WM_TIMER:
      if (wp != kFormTimer) break;
      // Once per request: the model asks again for the next.
      KillTimer(hwnd_, kFormTimer);
      fromUser([&] { form_.userTimer(); });
      return 0;
    case WM_SYSCOMMAND: {
      const WPARAM id = wp & 0xFFF0;
      if (id >= kFirstWindowCommand &&
          id < kFirstWindowCommand + 16 * form_.windowCommands().size()) {
        const size_t index = (id - kFirstWindowCommand) / 16;
        fromUser([&] { form_.userWindowCommand(index); });
        return 0;
      }
      break;
    }
    case WM_CLOSE:
      if (onClose) {
        fromUser(onClose);
        return 0;
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) break;
      if (onActivate) fromUser(onActivate);
      // Coming back to the window brings the keyboard back to the control
      // that had it, as in any dialog.
      if (!HIWORD(wp) && form_.focused()) {
        if (NativeControl* n = native(*form_.focused())) {
          SetFocus(n->focusTarget());
          return 0;
        }
      }
      break;
    case WM_COMMAND:
      // Esc in a dialog closes it, as its close box does.
      if (form_.dialogFrame() && LOWORD(wp) == IDCANCEL && lp == 0) {
        if (onClose) fromUser(onClose);
        return 0;
      }
      break;
    case 0x02E0: {  // WM_DPICHANGED
      applyDpi(HIWORD(wp));
      auto* rc = reinterpret_cast<RECT*>(lp);
      SetWindowPos(hwnd_, nullptr, rc->left, rc->top, rc->right - rc->left,
                   rc->bottom - rc->top, SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

void Renderer::addWindowCommands() {
  const auto& commands = form_.windowCommands();
  if (commands.empty()) return;
  HMENU menu = GetSystemMenu(hwnd_, FALSE);
  if (!menu) return;
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  for (size_t i = 0; i < commands.size(); ++i)
    AppendMenuW(menu, MF_STRING, kFirstWindowCommand + 16 * i,
                widen(commands[i].caption).c_str());
}

bool Renderer::accelerator(wchar_t ch) {
  ch = static_cast<wchar_t>(std::towlower(ch));
  // Controls in the order of the window tree, as the keyboard reaches them:
  // a page's own controls come before the shared buttons below the pages.
  std::vector<form::Control*> order;
  std::function<void(form::Control*)> visit = [&](form::Control* c) {
    order.push_back(c);
    for (form::Control* child : c->children()) visit(child);
  };
  for (form::Control* root : form_.roots()) visit(root);
  for (size_t i = 0; i < order.size(); ++i) {
    form::Control& c = *order[i];
    if (!c.showing() || !c.enabledInTree() || mnemonic(c.text()) != ch) continue;
    switch (c.kind()) {
      case Kind::Button:
        // Pressed where the focus is, as in any dialog: the user goes on
        // typing in the field that had it.
        fromUser([&] { form_.userPress(c); });
        return true;
      case Kind::CheckBox:
        fromUser([&] { form_.userClick(c); });
        return true;
      case Kind::RadioGroup:
        fromUser([&] { form_.setFocus(c); });
        return true;
      case Kind::Label:
      case Kind::GroupBox:
        fromUser([&] {
          if (!c.style().focusControl.empty()) {
            form_.userAccelerator(c);
            return;
          }
          // Without a named target, the next control that can take it: for
          // a group box, the first control inside it.
          for (size_t j = i + 1; j < order.size(); ++j)
            if (form_.setFocus(*order[j])) return;
        });
        return true;
      default:
        break;
    }
  }
  return false;
}

bool Renderer::pressDefault() {
  for (const auto& c : form_.controls()) {
    if (c->kind() == Kind::Button && c->style().isDefault && c->showing() &&
        c->enabledInTree()) {
      form::Control& b = *c;
      fromUser([&] { form_.userPress(b); });
      return true;
    }
  }
  return false;
}

// Keys that the model binds to actions where the focus is (find in the
// output view); a key that moves the focus into a text field selects its
// text, so that typing replaces it.
bool Renderer::shortcut(UINT vk) {
  const bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0;
  if (GetKeyState(VK_MENU) < 0) return false;
  std::string key;
  if (ctrl && !shift && vk >= 'A' && vk <= 'Z') key = std::string("Ctrl+") + static_cast<char>(vk);
  else if (ctrl && vk == VK_CANCEL) key = "Ctrl+Break";
  else if (ctrl) return false;
  else if (vk == VK_F3) key = "F3";
  else if (vk == VK_F5) key = "F5";
  else if (vk == VK_RETURN) key = "Enter";
  else if (vk == VK_ESCAPE && !shift) key = "Esc";
  else return false;
  if (shift) key = "Shift+" + key;
  HWND before = GetFocus();
  bool took = false;
  fromUser([&] { took = form_.userShortcut(key); });
  HWND focus = GetFocus();
  wchar_t cls[16] = L"";
  if (took && focus && focus != before) GetClassNameW(focus, cls, 16);
  if (lstrcmpiW(cls, L"Edit") == 0) SendMessageW(focus, EM_SETSEL, 0, -1);
  return took;
}

bool Renderer::preTranslate(MSG& msg) {
  if (!hwnd_ || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd))) return false;
  if (tooltip_ && msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST)
    SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
  if (msg.message == WM_KEYDOWN && shortcut(static_cast<UINT>(msg.wParam))) return true;
  if (msg.message == WM_SYSCHAR) {
    if (accelerator(static_cast<wchar_t>(msg.wParam))) return true;
  } else if (msg.message == WM_KEYDOWN &&
             (msg.wParam == VK_UP || msg.wParam == VK_DOWN ||
              msg.wParam == VK_LEFT || msg.wParam == VK_RIGHT ||
              msg.wParam == VK_TAB || msg.wParam == VK_F7)) {
    // Arrows inside a radio group choose as they move, as users expect; a
    // group of check boxes takes arrows and Tab as one stop; a field may
    // take Up, Down and F7 for a list of its own.
    if (NativeControl* o = objectOf(GetFocus()))
      if (o->key(static_cast<UINT>(msg.wParam))) return true;
  } else if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) {
    HWND focus = GetFocus();
    wchar_t cls[32] = L"";
    if (focus) GetClassNameW(focus, cls, 32);
    LONG style = focus ? GetWindowLongW(focus, GWL_STYLE) : 0;
    bool takesEnter = false;
    if (lstrcmpiW(cls, L"Button") == 0) {
      LONG type = style & BS_TYPEMASK;
      // A focused push button is pressed by Enter, as in any dialog.
      if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
        SendMessageW(focus, BM_CLICK, 0, 0);
        return true;
      }
    } else if (lstrcmpiW(cls, L"Edit") == 0) {
      takesEnter = (style & ES_MULTILINE) && (style & ES_WANTRETURN);
      HWND combo = GetParent(focus);
      if (combo && SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) takesEnter = true;
    } else if (lstrcmpiW(cls, L"ComboBox") == 0) {
      takesEnter = SendMessageW(focus, CB_GETDROPPEDSTATE, 0, 0) != 0;
    } else if (lstrcmpiW(cls, outputViewClass()) == 0) {
      takesEnter = true;  // like the read-only memo it stands for
    }
    if (!takesEnter) return pressDefault();
  }
  return IsDialogMessageW(hwnd_, &msg) != FALSE;
}

}  // namespace velquin::win32
