#include "wine_app.h"

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

std::string windowText(HWND h) {
  int len = GetWindowTextLengthW(h);
  std::wstring w(len + 1, L'\0');
  int got = GetWindowTextW(h, w.data(), len + 1);
  w.resize(got);
  return win32::narrow(w);
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

  program = std::make_unique<Program>(os);
  main().FormCreate();
  window = std::make_unique<win32::Renderer>(main().form());
  os.attach(window.get());
  window->onClose = [this] {
    main().FormClose();
    os.setQuitting();
  };
  window->create(nullptr);
  window->fromUser([this] { main().FormShow(); });
  ShowWindow(window->hwnd(), SW_SHOWNORMAL);
  pump();
}

WineApp::~WineApp() {
  os.attach(nullptr);
  window.reset();
  program.reset();
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  SetCurrentDirectoryW(tmp);
  std::error_code ec;
  std::filesystem::remove_all(win32::widen(folder), ec);
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

void WineApp::pump(int ms) {
  DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  do {
    os.pumpMessages(1);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

}  // namespace velquin::test
