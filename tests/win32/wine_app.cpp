#include "wine_app.h"

#include <commctrl.h>
#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "win32/text.h"

namespace velquin::test {

std::string nameOf(HWND h) {
  auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropW(h, L"Name")));
  if (!atom) return {};
  wchar_t buf[256];
  UINT n = GlobalGetAtomNameW(atom, buf, 256);
  return win32::narrow(std::wstring(buf, n));
}

namespace {
struct Search {
  std::string name;
  HWND found = nullptr;
};
BOOL CALLBACK visit(HWND h, LPARAM lp) {
  auto* s = reinterpret_cast<Search*>(lp);
  if (nameOf(h) == s->name) {
    s->found = h;
    return FALSE;
  }
  return TRUE;
}
}  // namespace

HWND findByName(HWND top, const std::string& name) {
  if (nameOf(top) == name) return top;
  Search s{name};
  EnumChildWindows(top, visit, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

std::string windowText(HWND h) { return win32::narrow(win32::windowText(h)); }

std::string clipboardText(HWND owner) {
  std::string out;
  if (!OpenClipboard(owner)) return "(no clipboard)";
  if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* w = static_cast<const wchar_t*>(GlobalLock(h))) {
      out = win32::narrow(w);
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  return out;
}

WineApp::WineApp() {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  std::filesystem::path dir = std::filesystem::path(tmp) /
      ("velquin-" + std::to_string(GetCurrentProcessId()) + "-" +
       std::to_string(GetTickCount64()));
  std::filesystem::create_directories(dir / "Data");
  SetCurrentDirectoryW(dir.wstring().c_str());
  folder = win32::narrow(dir.wstring());

  // A program that has run here before: its settings file is in place.
  std::filesystem::path ini = dir / "Velquin.ini";
  if (FILE* f = _wfopen(ini.wstring().c_str(), L"wb")) {
    fputs("2.2.2\r\n149\r\n233\r\n612\r\n476\r\n", f);
    fclose(f);
  }

  session = std::make_unique<win32::Session>(os);
  program = &session->program();
  window = &session->mainWindow();
  session->show(SW_SHOWNORMAL);
  pump();
}

WineApp::~WineApp() {
  session.reset();
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  SetCurrentDirectoryW(tmp);
  std::error_code ec;
  std::filesystem::remove_all(win32::widen(folder), ec);
}

std::string WineApp::statusText() {
  HWND h = byName("StatusBar1");
  const LRESULT n = LOWORD(SendMessageW(h, SB_GETTEXTLENGTHW, 0, 0));
  std::wstring w(static_cast<size_t>(n) + 1, L'\0');
  SendMessageW(h, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(w.data()));
  w.resize(static_cast<size_t>(n));
  return win32::narrow(w);
}

namespace {
constexpr const wchar_t* kHandProp = L"VelquinTestHand";
constexpr UINT_PTR kHandTimer = 0x7E58;
}  // namespace

UserHand::UserHand(HWND window, HWND closer, std::vector<Step> steps, DWORD limitMs)
    : window_(window), closer_(closer), steps_(std::move(steps)),
      deadline_(GetTickCount() + limitMs) {
  SetPropW(window_, kHandProp, this);
  SetTimer(window_, kHandTimer, 50, tick);
}

UserHand::~UserHand() {
  KillTimer(window_, kHandTimer);
  RemovePropW(window_, kHandProp);
}

void CALLBACK UserHand::tick(HWND window, UINT, UINT_PTR, DWORD) {
  auto* h = static_cast<UserHand*>(GetPropW(window, kHandProp));
  if (!h) return;
  if (h->next_ < h->steps_.size() && h->steps_[h->next_].when())
    h->steps_[h->next_++].then();
  if (!h->timedOut_ && static_cast<LONG>(GetTickCount() - h->deadline_) >= 0) {
    h->timedOut_ = true;
    PostMessageW(h->closer_, BM_CLICK, 0, 0);
  }
}

HWND WineApp::byName(const std::string& name) {
  HWND h = findByName(window->hwnd(), name);
  EXPECT_NE(h, nullptr) << "no window named " << name;
  return h;
}

void WineApp::click(const std::string& name) {
  SendMessageW(byName(name), BM_CLICK, 0, 0);
  pump(10);
}

void WineApp::typeInto(const std::string& name, const std::string& text) {
  HWND h = byName(name);
  SetFocus(h);
  SetWindowTextW(h, win32::widen(text).c_str());
  pump(10);
}

namespace {
void sendInputs(std::vector<INPUT> in) {
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}
INPUT keyInput(WORD vk, WORD scan, DWORD flags) {
  INPUT i{};
  i.type = INPUT_KEYBOARD;
  i.ki.wVk = vk;
  i.ki.wScan = scan;
  i.ki.dwFlags = flags;
  return i;
}
}  // namespace

namespace {
// Mouse input at a point of a window's client area (its middle by default).
INPUT mouseInput(HWND h, POINT at, DWORD flags) {
  RECT rc;
  GetClientRect(h, &rc);
  if (at.x < 0) at = {rc.right / 2, rc.bottom / 2};
  ClientToScreen(h, &at);
  const int vx = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int vy = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int vw = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int vh = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  INPUT i{};
  i.type = INPUT_MOUSE;
  i.mi.dx = MulDiv(at.x - vx, 65535, vw - 1);
  i.mi.dy = MulDiv(at.y - vy, 65535, vh - 1);
  i.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_VIRTUALDESK | flags;
  return i;
}
}  // namespace

void WineApp::mouseClick(HWND h, POINT at) {
  sendInputs({mouseInput(h, at, MOUSEEVENTF_MOVE), mouseInput(h, at, MOUSEEVENTF_LEFTDOWN),
              mouseInput(h, at, MOUSEEVENTF_LEFTUP)});
  pump();
}

void WineApp::mouseTo(HWND h, POINT at) {
  sendInputs({mouseInput(h, at, MOUSEEVENTF_MOVE)});
  pump();
}

void WineApp::keyPress(WORD vk, WORD held) {
  std::vector<INPUT> in;
  if (held) in.push_back(keyInput(held, 0, 0));
  in.push_back(keyInput(vk, 0, 0));
  in.push_back(keyInput(vk, 0, KEYEVENTF_KEYUP));
  if (held) in.push_back(keyInput(held, 0, KEYEVENTF_KEYUP));
  sendInputs(in);
  pump();
}

void WineApp::typeKeys(const std::string& text) {
  std::vector<INPUT> in;
  for (wchar_t ch : win32::widen(text)) {
    in.push_back(keyInput(0, ch, KEYEVENTF_UNICODE));
    in.push_back(keyInput(0, ch, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP));
  }
  sendInputs(in);
  pump();
}

HWND WineApp::focusNow() {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetCurrentThreadId(), &info);
  return info.hwndFocus;
}

bool WineApp::putFocus(HWND control) {
  const DWORD end = GetTickCount() + 3000;
  int held = 0;
  while (held < 4 && static_cast<LONG>(end - GetTickCount()) > 0) {
    if (GetForegroundWindow() != window->hwnd() || focusNow() != control) {
      held = 0;
      SetForegroundWindow(window->hwnd());
      SetFocus(control);
    } else {
      ++held;
    }
    pump(25);
  }
  return held >= 4;
}

void WineApp::showPageOf(const std::string& name) {
  std::vector<form::Control*> pages;
  for (form::Control* at = &main()[name]; at; at = at->parent())
    if (at->kind() == form::Kind::Page) pages.insert(pages.begin(), at);
  window->fromUser([&] {
    for (form::Control* page : pages) {
      form::Control& pc = *page->parent();
      if (pc.activePage() == page) continue;
      const auto all = pc.pages();
      const int index = static_cast<int>(
          std::find(all.begin(), all.end(), page) - all.begin());
      if (pc.name() == "PageControl1")
        main().form().userSelectPage(pc, index);
      else
        pc.setActivePage(*page);
    }
  });
  pump(10);
}

void WineApp::pump(int ms) {
  DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  do {
    os.pumpMessages(1);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

namespace {

// The modal windows of a thread that a user could act on now: dialogs
// (class #32770) that are visible and not disabled by a box above them.
std::vector<HWND> activeDialogs(DWORD thread) {
  std::vector<HWND> found;
  EnumThreadWindows(thread, [](HWND h, LPARAM lp) -> BOOL {
    wchar_t cls[16] = L"";
    GetClassNameW(h, cls, 16);
    if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(h) && IsWindowEnabled(h))
      reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
    return TRUE;
  }, reinterpret_cast<LPARAM>(&found));
  return found;
}

// A file dialog's name field: a combo box on current systems, an edit field
// on older ones.
HWND fileNameField(HWND dialog) {
  if (HWND h = GetDlgItem(dialog, cmb13)) return h;
  return GetDlgItem(dialog, edt1);
}

DialogHand::Seen look(HWND dialog) {
  DialogHand::Seen seen;
  seen.caption = windowText(dialog);
  EnumChildWindows(dialog, [](HWND h, LPARAM lp) -> BOOL {
    wchar_t cls[16] = L"";
    GetClassNameW(h, cls, 16);
    std::string t = windowText(h);
    if (lstrcmpiW(cls, L"Static") == 0 && !t.empty()) {
      auto& text = *reinterpret_cast<std::string*>(lp);
      text += (text.empty() ? "" : "\n") + t;
    }
    return TRUE;
  }, reinterpret_cast<LPARAM>(&seen.text));
  if (HWND name = fileNameField(dialog)) {
    seen.fileName = windowText(name);
    wchar_t folder[MAX_PATH] = L"";
    DWORD_PTR got = 0;
    if (SendMessageTimeoutW(dialog, CDM_GETFOLDERPATH, MAX_PATH,
                            reinterpret_cast<LPARAM>(folder), SMTO_BLOCK, 2000,
                            &got) && static_cast<LONG_PTR>(got) > 0)
      seen.folder = win32::narrow(folder);
  }
  return seen;
}

// Posted, not sent: the press may open another modal window, and the
// helper must be free to answer that one too.
void pressButton(HWND dialog, int id) {
  if (HWND b = GetDlgItem(dialog, id))
    PostMessageW(b, BM_CLICK, 0, 0);
  else
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

// What a user does to get rid of a window: Cancel, else No, else OK.
void cancel(HWND dialog) {
  for (int id : {IDCANCEL, IDNO, IDOK})
    if (GetDlgItem(dialog, id)) return pressButton(dialog, id);
  PostMessageW(dialog, WM_CLOSE, 0, 0);
}

bool pastTick(DWORD deadline) {
  return static_cast<LONG>(GetTickCount() - deadline) >= 0;
}

}  // namespace

DialogHand::DialogHand(std::vector<Step> steps, int timeoutMs)
    : steps_(std::move(steps)),
      uiThread_(GetCurrentThreadId()),
      deadline_(GetTickCount() + static_cast<DWORD>(timeoutMs)) {
  helper_ = std::thread([this] { work(); });
}

DialogHand::~DialogHand() { finish(); }

const std::vector<DialogHand::Seen>& DialogHand::finish() {
  if (helper_.joinable()) {
    while (!allTaken() && !pastTick(deadline_)) Sleep(20);
    stop_ = true;
    helper_.join();
  }
  return seen_;
}

void DialogHand::work() {
  HWND candidate = nullptr;
  while (!stop_) {
    const bool late = pastTick(deadline_);
    std::vector<HWND> now = activeDialogs(uiThread_);
    // A box over a dialog disables it: the one left is the one in front.
    HWND top = now.empty() ? nullptr : now.front();
    if (!top) {
      candidate = nullptr;
      Sleep(20);
      continue;
    }
    // A window is taken once it has stayed in front for two looks, so that
    // one caught between closing a box and closing itself is not answered.
    if (top != candidate) {
      candidate = top;
      Sleep(30);
      continue;
    }
    candidate = nullptr;
    Seen seen = look(top);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      seen_.push_back(seen);
    }
    if (taken_ < steps_.size() && !late) {
      steps_[taken_](top);
      ++taken_;
    } else {
      cancel(top);
    }
    // Wait until the answer has taken effect before looking again. On a
    // busy machine the program may take seconds to handle the posted press:
    // a dialog still in front then is the same one, not a new one to count.
    DWORD settle = GetTickCount() + 20000;
    while (!stop_ && !pastTick(settle) && IsWindow(top) &&
           IsWindowVisible(top) && IsWindowEnabled(top))
      Sleep(10);
  }
}

DialogHand::Step DialogHand::chooseFile(const std::string& path) {
  return [path](HWND dialog) {
    std::wstring name = win32::widen(path);
    DWORD_PTR result = 0;
    SendMessageTimeoutW(fileNameField(dialog), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(name.c_str()), SMTO_BLOCK,
                        2000, &result);
    pressButton(dialog, IDOK);
  };
}

DialogHand::Step DialogHand::press(int buttonId) {
  return [buttonId](HWND dialog) { pressButton(dialog, buttonId); };
}

Deadline::Deadline(HWND window, int ms)
    : cancel_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
  helper_ = std::thread([this, window, ms] {
    if (WaitForSingleObject(cancel_, static_cast<DWORD>(ms)) == WAIT_TIMEOUT) {
      fired_ = true;
      PostMessageW(window, WM_CLOSE, 0, 0);
    }
  });
}

Deadline::~Deadline() {
  SetEvent(cancel_);
  helper_.join();
  CloseHandle(cancel_);
}

}  // namespace velquin::test
