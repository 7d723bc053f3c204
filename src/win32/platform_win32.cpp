#include "win32/platform_win32.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cwchar>
#include <vector>

#include "win32/chooser_menu.h"
#include "win32/controls.h"
#include "win32/ole_on_demand.h"
#include "win32/renderer.h"
#include "win32/system_library.h"
#include "win32/text.h"
#include "win32/tray_icon.h"

namespace velquin::win32 {

Win32Platform::Win32Platform() = default;
Win32Platform::~Win32Platform() = default;

bool Win32Platform::showTrayIcon(const TrayIcon& icon) {
  if (!tray_)
    tray_ = std::make_unique<NotifyArea>([this](const std::function<void()>& act) {
      if (main_)
        main_->fromUser(act);
      else
        act();
    });
  return tray_->show(icon);
}

bool Win32Platform::trayBalloon(const std::string& text) {
  return tray_ && tray_->balloon(text);
}

void Win32Platform::removeTrayIcon() {
  if (tray_) tray_->remove();
}


void Win32Platform::attach(Renderer* main) {
  main_ = main;
  windows_.clear();
  if (main) windows_.push_back(main);
}

void Win32Platform::attachWindow(Renderer* window) {
  if (window) windows_.push_back(window);
}

HWND Win32Platform::owner() const { return main_ ? main_->hwnd() : nullptr; }

bool Win32Platform::busy() const {
  for (Renderer* w : windows_)
    if (w->handlerDepth() > 0) return true;
  return false;
}

void Win32Platform::showMessage(const std::string& text) {
  MessageBoxW(owner(), widen(text).c_str(), L"Velquin", MB_OK);
}

bool Win32Platform::askYesNo(const std::string& caption,
                             const std::string& text) {
  return MessageBoxW(owner(), widen(text).c_str(), widen(caption).c_str(),
                     MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool Win32Platform::openDialog(platform::FileDialog& dialog) {
  return fileDialog(dialog, false);
}

bool Win32Platform::saveDialog(platform::FileDialog& dialog) {
  return fileDialog(dialog, true);
}

bool Win32Platform::fileDialog(platform::FileDialog& dialog, bool save) {
  // "Name|*.ext|..." becomes the NUL-separated, double-NUL-ended list.
  std::wstring filter = widen(dialog.filter);
  for (wchar_t& c : filter)
    if (c == L'|') c = L'\0';
  filter.push_back(L'\0');
  filter.push_back(L'\0');
  std::vector<wchar_t> file(32768, L'\0');
  std::wstring name = widen(dialog.fileName);
  if (name.size() < file.size()) name.copy(file.data(), name.size());
  std::wstring folder = widen(dialog.initialFolder);
  std::wstring title = widen(dialog.title);
  std::wstring extension = widen(dialog.defaultExtension);

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner();
  ofn.lpstrFilter = filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(dialog.filterIndex);
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  // The dialog adds it before it asks about replacing: the question is
  // about the file that is then written.
  ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  // The dialogs never move the folder in which commands run.
  ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (save) {
    if (dialog.askBeforeReplace) ofn.Flags |= OFN_OVERWRITEPROMPT;
  } else {
    ofn.Flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  }
  needOle();  // the dialog's folder view is the shell's, through OLE
  const auto show = systemFunction<decltype(&GetOpenFileNameW)>(
      L"comdlg32.dll", save ? "GetSaveFileNameW" : "GetOpenFileNameW");
  if (!show || !show(&ofn)) return false;
  dialog.fileName = narrow(file.data());
  dialog.filterIndex = static_cast<int>(ofn.nFilterIndex);
  return true;
}

void Win32Platform::shellOpen(const std::string& target,
                              const std::string& ownerWindow) {
  HWND by = owner();
  for (Renderer* w : windows_)
    if (w->model().name() == ownerWindow) by = w->hwnd();
  needOle();  // the shell may hand the file to an extension, through COM
  if (const auto open = systemFunction<decltype(&ShellExecuteW)>(L"shell32.dll",
                                                                  "ShellExecuteW"))
    open(by, L"Open", widen(target).c_str(), L"", L"", SW_SHOW);
}

int Win32Platform::screenDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

// Collects the work area of each monitor into a vector of them.
static BOOL CALLBACK addWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM to) {
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  if (!GetMonitorInfoW(monitor, &mi)) return TRUE;
  const RECT& w = mi.rcWork;
  try {  // no exception crosses the system's call
    reinterpret_cast<std::vector<platform::ScreenRect>*>(to)->push_back(
        {w.left, w.top, w.right - w.left, w.bottom - w.top});
  } catch (...) {
    return FALSE;
  }
  return TRUE;
}

platform::WorkArea Win32Platform::workArea(int x, int y) {
  std::vector<platform::ScreenRect> areas;
  EnumDisplayMonitors(nullptr, nullptr, addWorkArea,
                      reinterpret_cast<LPARAM>(&areas));
  if (areas.empty()) {
    RECT w{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &w, 0);
    areas.push_back({w.left, w.top, w.right - w.left, w.bottom - w.top});
  }
  return platform::workAreaAt(areas, x, y);
}

platform::DriveType Win32Platform::driveType(const std::string& root) {
  switch (GetDriveTypeW(widen(root).c_str())) {
    case DRIVE_NO_ROOT_DIR: return platform::DriveType::NoRoot;
    case DRIVE_REMOVABLE: return platform::DriveType::Removable;
    case DRIVE_FIXED: return platform::DriveType::Fixed;
    case DRIVE_REMOTE: return platform::DriveType::Remote;
    case DRIVE_CDROM: return platform::DriveType::CdRom;
    case DRIVE_RAMDISK: return platform::DriveType::RamDisk;
    default: return platform::DriveType::Unknown;
  }
}

std::string Win32Platform::currentFolder() {
  DWORD n = GetCurrentDirectoryW(0, nullptr);
  std::wstring w(n, L'\0');
  DWORD got = GetCurrentDirectoryW(n, w.data());
  w.resize(got);
  return narrow(w);
}

platform::IoResult Win32Platform::readFile(const std::string& path,
                                           std::string& bytes) {
  // Another window of the program may replace the file meanwhile: this
  // read then goes on with the old one.
  HANDLE f = CreateFileW(widen(path).c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    const DWORD err = GetLastError();
    return {false, systemMessage(err),
            err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND};
  }
  bytes.clear();
  char buf[65536];
  DWORD got = 0;
  BOOL ok;
  while ((ok = ReadFile(f, buf, sizeof buf, &got, nullptr)) && got > 0)
    bytes.append(buf, got);
  DWORD err = GetLastError();
  CloseHandle(f);
  if (!ok) return {false, systemMessage(err)};
  return {};
}

platform::IoResult Win32Platform::readTextFile(const std::string& path,
                                               std::string& text) {
  std::string bytes;
  platform::IoResult r = readFile(path, bytes);
  if (r.ok) text = narrow(fromCodePage(CP_ACP, bytes));
  return r;
}

platform::IoResult Win32Platform::writeFile(const std::string& path,
                                            const std::string& bytes) {
  return replaceFile(path, bytes);
}

platform::IoResult replaceFile(const std::string& path, const std::string& bytes) {
  const std::wstring target = widen(path);
  auto failed = [&](DWORD err) {
    return platform::IoResult{
        false, "ファイル " + path + " を作成できません。\r\n" + systemMessage(err)};
  };
  // The temporary file lives beside the target, so the final rename stays
  // on one volume and replaces the old file in one step.
  std::wstring folder = target;
  size_t slash = folder.find_last_of(L"\\/");
  folder = slash == std::wstring::npos ? L"." : folder.substr(0, slash);
  if (folder.empty()) folder = L"\\";
  if (target.empty() || slash + 1 == target.size())
    return failed(ERROR_INVALID_NAME);
  wchar_t tmp[MAX_PATH + 16];
  if (folder.size() >= MAX_PATH - 14 ||
      !GetTempFileNameW(folder.c_str(), L"vq", 0, tmp))
    return failed(GetLastError());
  HANDLE f = CreateFileW(tmp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    DWORD err = GetLastError();
    DeleteFileW(tmp);
    return failed(err);
  }
  DWORD written = 0;
  BOOL ok = bytes.empty() ||
            (WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()),
                       &written, nullptr) &&
             written == bytes.size());
  if (ok) ok = FlushFileBuffers(f);
  DWORD err = GetLastError();
  CloseHandle(f);
  if (ok && !MoveFileExW(tmp, target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ok = FALSE;
    err = GetLastError();
  }
  if (!ok) {
    DeleteFileW(tmp);
    return failed(err);
  }
  return {};
}

platform::IoResult Win32Platform::writeTextFile(const std::string& path,
                                                const std::string& text,
                                                bool* lossy) {
  return writeFile(path, toCodePage(CP_ACP, widen(text), lossy));
}

platform::IoResult Win32Platform::renameFile(const std::string& from,
                                             const std::string& to) {
  if (!MoveFileExW(widen(from).c_str(), widen(to).c_str(),
                   MOVEFILE_REPLACE_EXISTING))
    return {false, systemMessage(GetLastError())};
  return {};
}

platform::AnsiBytes Win32Platform::ansiBytes() {
  const UINT acp = GetACP();
  platform::AnsiBytes b;
  CPINFOEXW info{};
  if (GetCPInfoExW(acp, 0, &info))
    b.standIn = narrow(std::wstring(1, info.UnicodeDefaultChar));
  if (b.standIn.empty()) b.standIn = "?";
  if (acp == CP_UTF8) {
    b.utf8 = true;
    return b;
  }
  // The trail ranges of the double-byte code pages; the system tells only
  // the lead bytes.
  auto trail = [acp](int c) {
    switch (acp) {
      case 932: return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
      case 949: return (c >= 0x41 && c <= 0x5A) || (c >= 0x61 && c <= 0x7A) ||
                       (c >= 0x81 && c <= 0xFE);
      case 950: return (c >= 0x40 && c <= 0x7E) || (c >= 0xA1 && c <= 0xFE);
      case 1361: return (c >= 0x31 && c <= 0x7E) || (c >= 0x81 && c <= 0xFE);
      default: return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFE);
    }
  };
  for (int c = 0; c < 256; ++c) {
    b.lead[c] = IsDBCSLeadByteEx(acp, static_cast<BYTE>(c)) != FALSE;
    b.trail[c] = trail(c);
  }
  return b;
}

std::string Win32Platform::ansiToUtf8(std::string_view bytes) {
  return narrow(fromCodePage(CP_ACP, bytes));
}

void Win32Platform::dispatch(MSG& msg) {
  // Each window takes the keys meant for its own controls.
  for (Renderer* w : windows_)
    if (w->preTranslate(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void Win32Platform::pumpMessages(int waitMs) {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave the quit for the main loop, once the running handlers return.
      exitCode_ = static_cast<int>(msg.wParam);
      quitting_ = true;
      return;
    }
    dispatch(msg);
  }
  if (waitMs > 0 && !quitting_)
    MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(waitMs),
                                QS_ALLINPUT, MWMO_INPUTAVAILABLE);
}

void Win32Platform::closeMainWindow() {
  if (HWND h = owner()) PostMessageW(h, WM_CLOSE, 0, 0);
}

int Win32Platform::run() {
  MSG msg;
  for (;;) {
    // A close asked for inside a running command takes effect once every
    // handler on the stack has returned.
    if (quitting_ && !busy()) break;
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) exitCode_ = static_cast<int>(msg.wParam);
      break;
    }
    dispatch(msg);
  }
  if (main_ && IsWindow(main_->hwnd())) DestroyWindow(main_->hwnd());
  return exitCode_;
}

long long Win32Platform::localTimeMs() {
  SYSTEMTIME st;
  GetLocalTime(&st);
  FILETIME ft;
  if (!SystemTimeToFileTime(&st, &ft)) return 0;
  const ULONGLONG t = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
  return static_cast<long long>(t / 10000);
}

}  // namespace velquin::win32

// --- Time, a chooser list, rights and the program's own restart.

namespace velquin::win32 {

int64_t Win32Platform::steadyMs() {
  return static_cast<int64_t>(GetTickCount64());
}

platform::ListChoice Win32Platform::chooseFromList(
    const std::vector<std::string>& items, const std::string& nearControl,
    int highlighted) {
  HWND owner = this->owner();
  if (!owner || items.empty()) return {};
  // Below the control, or at the window's top left when it is not there.
  POINT at{0, 0};
  RECT r{};
  HWND control = nullptr;
  if (main_)
    if (const form::Control* c = main_->model().find(nearControl))
      if (NativeControl* n = main_->native(*c)) control = n->hwnd();
  if (control && GetWindowRect(control, &r)) {
    at = {r.left, r.bottom};
  } else {
    ClientToScreen(owner, &at);
  }
  return showChooserMenu(owner, at, items, highlighted);
}

std::string Win32Platform::offerText(const std::string& text) {
  return offer_.open(text);
}

std::optional<std::string> Win32Platform::takeOffer(const std::string& channel) {
  return win32::takeOffer(channel, 5000);
}

std::optional<bool> Win32Platform::offerTaken() { return serving_.result(); }

void Win32Platform::alertUser() {
  if (HWND w = owner()) {
    FLASHWINFO flash{sizeof flash, w, FLASHW_TRAY | FLASHW_TIMERNOFG, 0, 0};
    FlashWindowEx(&flash);
  }
  MessageBeep(MB_ICONWARNING);
}

bool Win32Platform::elevated() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  const bool ok = GetTokenInformation(token, TokenElevation, &elevation,
                                      sizeof elevation, &size) != FALSE;
  CloseHandle(token);
  return ok && elevation.TokenIsElevated != 0;
}

platform::Platform::ElevatedStart Win32Platform::startElevated(
    const std::string& arguments, const std::string& folder,
    std::string& error) {
  // Whatever happens, the text offered is not left waiting for a reader.
  struct Withdraw {
    TextOffer& offer;
    ~Withdraw() { offer.close(); }
  } withdraw{offer_};
  std::wstring file(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, file.data(),
                                       static_cast<DWORD>(file.size()));
    if (n == 0) {
      error = systemMessage(GetLastError());
      return ElevatedStart::Failed;
    }
    if (n < file.size()) {
      file.resize(n);
      break;
    }
    file.resize(file.size() * 2);
  }
  const std::wstring args = widen(arguments);
  const std::wstring dir = widen(folder);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_NOCLOSEPROCESS;
  info.hwnd = owner();
  info.lpVerb = L"runas";
  info.lpFile = file.c_str();
  info.lpParameters = args.c_str();
  info.lpDirectory = dir.empty() ? nullptr : dir.c_str();
  info.nShow = SW_SHOWNORMAL;
  needOle();  // the shell may ask an extension, through COM
  const auto execute =
      systemFunction<decltype(&ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
  if (!execute) {
    error = systemMessage(GetLastError());
    return ElevatedStart::Failed;
  }
  if (execute(&info)) {
    // The new instance takes the text as it starts, while this window goes
    // on answering; a start that takes longer than this finds the channel
    // gone and says so, and so does this window.
    if (offer_.isOpen())
      serving_.start(std::move(offer_), info.hProcess, 20000);
    else if (info.hProcess)
      CloseHandle(info.hProcess);
    return ElevatedStart::Started;
  }
  const DWORD code = GetLastError();
  if (code == ERROR_CANCELLED) return ElevatedStart::Cancelled;
  error = systemMessage(code);
  return ElevatedStart::Failed;
}

}  // namespace velquin::win32
