// Files written while the program runs, and the folder chooser: the parts
// of the platform that the monitor's log uses.
#include <shlobj.h>

#include "win32/ole_on_demand.h"
#include "win32/platform_win32.h"
#include "win32/renderer.h"
#include "win32/system_library.h"
#include "win32/text.h"

namespace velquin::win32 {

platform::IoResult Win32Platform::makeFolders(const std::string& path) {
  std::wstring w = widen(path);
  for (wchar_t& c : w)
    if (c == L'/') c = L'\\';
  // Each folder from the top down; those that exist are left as they are.
  size_t at = w.size() > 2 && w[1] == L':' ? 3 : 0;
  if (w.rfind(L"\\\\", 0) == 0) {
    // A share's "\\server\share" is there or not; its folders are made.
    at = w.find(L'\\', 2);
    if (at != std::wstring::npos) at = w.find(L'\\', at + 1);
    at = at == std::wstring::npos ? w.size() : at + 1;
  }
  while (true) {
    at = w.find(L'\\', at);
    const std::wstring part = at == std::wstring::npos ? w : w.substr(0, at);
    const DWORD attributes = part.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(part.c_str());
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    if (!part.empty() && !folder && !CreateDirectoryW(part.c_str(), nullptr))
      return {false, systemMessage(GetLastError())};
    if (at == std::wstring::npos) return {};
    ++at;
  }
}

platform::IoResult Win32Platform::appendFile(const std::string& path, const std::string& bytes) {
  HANDLE f = CreateFileW(widen(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return {false, systemMessage(GetLastError())};
  DWORD written = 0;
  const bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size() && FlushFileBuffers(f);
  const DWORD err = GetLastError();
  CloseHandle(f);
  if (!ok) return {false, systemMessage(err == ERROR_SUCCESS ? ERROR_DISK_FULL : err)};
  return {};
}

namespace {

int CALLBACK litAt(HWND w, UINT msg, LPARAM, LPARAM data) {
  if (msg == BFFM_INITIALIZED) SendMessageW(w, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

}  // namespace

bool Win32Platform::chooseFolder(const std::string& title, std::string& folder,
                                 const std::string& ownerWindow) {
  HWND by = owner();
  for (Renderer* w : windows_)
    if (w->model().name() == ownerWindow) by = w->hwnd();
  needOle();
  const auto browse =
      systemFunction<decltype(&SHBrowseForFolderW)>(L"shell32.dll", "SHBrowseForFolderW");
  const auto pathOf =
      systemFunction<decltype(&SHGetPathFromIDListW)>(L"shell32.dll", "SHGetPathFromIDListW");
  const auto release = systemFunction<decltype(&CoTaskMemFree)>(L"ole32.dll", "CoTaskMemFree");
  if (!browse || !pathOf || !release) return false;
  const std::wstring caption = widen(title);
  const std::wstring start = widen(folder);
  BROWSEINFOW bi{};
  bi.hwndOwner = by;
  bi.lpszTitle = caption.c_str();
  bi.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  bi.lpfn = litAt;
  bi.lParam = reinterpret_cast<LPARAM>(start.c_str());
  PIDLIST_ABSOLUTE chosen = browse(&bi);
  if (!chosen) return false;
  wchar_t path[MAX_PATH] = L"";
  const bool ok = pathOf(chosen, path) != FALSE;
  release(chosen);
  if (ok) folder = narrow(path);
  return ok;
}

}  // namespace velquin::win32
