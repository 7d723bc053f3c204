// Another program that reads and sets a window's text, as automation and
// accessibility tools do:
//   velquin_text_tool get <window> <file>   writes the text (UTF-8) to file
//   velquin_text_tool set <window> <file>   sets the text read from file
//   velquin_text_tool sel <window> <file>   writes the selection that
//                                           EM_GETSEL gives, "start end"
// <window> is the window handle in decimal.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  HWND window = reinterpret_cast<HWND>(static_cast<INT_PTR>(std::wcstoll(argv[2], nullptr, 10)));
  const bool get = std::wcscmp(argv[1], L"get") == 0;
  DWORD_PTR result = 0;
  if (std::wcscmp(argv[1], L"sel") == 0) {
    // The pointers stay null: the answer's two words hold both offsets.
    if (!SendMessageTimeoutW(window, EM_GETSEL, 0, 0, SMTO_BLOCK, 20000, &result)) return 1;
    FILE* f = _wfopen(argv[3], L"wb");
    if (!f) return 1;
    std::fprintf(f, "%u %u", LOWORD(result), HIWORD(result));
    fclose(f);
    return 0;
  }
  if (get) {
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 20000, &result))
      return 1;
    std::wstring text(result + 1, L'\0');
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(),
                             reinterpret_cast<LPARAM>(text.data()), SMTO_BLOCK, 20000,
                             &result))
      return 1;
    text.resize(result);
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), n,
                        nullptr, nullptr);
    FILE* f = _wfopen(argv[3], L"wb");
    if (!f) return 1;
    fwrite(utf8.data(), 1, utf8.size(), f);
    fclose(f);
    return 0;
  }
  FILE* f = _wfopen(argv[3], L"rb");
  if (!f) return 1;
  std::string utf8;
  char buf[4096];
  size_t got;
  while ((got = fread(buf, 1, sizeof buf, f)) > 0) utf8.append(buf, got);
  fclose(f);
  std::wstring text(utf8.size() + 1, L'\0');
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                    text.data(), static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(n));
  return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                             SMTO_BLOCK, 20000, &result) && result ? 0 : 1;
}
