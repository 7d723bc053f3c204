#include "win32/text.h"

#include <cstring>

namespace velquin::win32 {

std::wstring widen(std::string_view utf8) {
  return fromCodePage(CP_UTF8, utf8);
}

std::string narrow(std::wstring_view wide) {
  return toCodePage(CP_UTF8, wide, nullptr);
}

std::wstring fromCodePage(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return {};
  int n = MultiByteToWideChar(codePage, 0, bytes.data(),
                              static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring out(n, L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                      out.data(), n);
  return out;
}

std::string toCodePage(UINT codePage, std::wstring_view wide,
                       bool* usedDefault) {
  if (usedDefault) *usedDefault = false;
  if (wide.empty()) return {};
  // UTF-8 and UTF-7 accept neither the default character nor its flag.
  const bool utf = codePage == CP_UTF8 || codePage == CP_UTF7;
  BOOL used = FALSE;
  DWORD flags = utf ? 0 : WC_NO_BEST_FIT_CHARS;
  int n = WideCharToMultiByte(codePage, flags, wide.data(),
                              static_cast<int>(wide.size()), nullptr, 0,
                              nullptr, utf ? nullptr : &used);
  std::string out(n, '\0');
  WideCharToMultiByte(codePage, flags, wide.data(),
                      static_cast<int>(wide.size()), out.data(), n, nullptr,
                      utf ? nullptr : &used);
  if (usedDefault) *usedDefault = used != FALSE;
  return out;
}

std::wstring windowText(HWND h) {
  int len = GetWindowTextLengthW(h);
  std::wstring w(len + 1, L'\0');
  int got = GetWindowTextW(h, w.data(), len + 1);
  w.resize(got > 0 ? got : 0);
  return w;
}

std::string systemMessage(DWORD error) {
  wchar_t* buf = nullptr;
  DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
  std::wstring s = n ? std::wstring(buf, n) : std::wstring();
  if (buf) LocalFree(buf);
  while (!s.empty() && (s.back() == L'\n' || s.back() == L'\r' || s.back() == L' '))
    s.pop_back();
  return narrow(s);
}

bool textToClipboard(HWND owner, const std::string& utf8) {
  const std::wstring w = widen(utf8);
  if (!OpenClipboard(owner)) return false;
  EmptyClipboard();
  bool ok = false;
  if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (w.size() + 1) * sizeof(wchar_t))) {
    if (void* dst = GlobalLock(mem)) {
      memcpy(dst, w.c_str(), (w.size() + 1) * sizeof(wchar_t));
      GlobalUnlock(mem);
      ok = SetClipboardData(CF_UNICODETEXT, mem) != nullptr;
    }
    if (!ok) GlobalFree(mem);
  }
  CloseClipboard();
  return ok;
}

}  // namespace velquin::win32
