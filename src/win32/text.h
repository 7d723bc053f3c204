#pragma once
// UTF-8 in the program, UTF-16 at the Win32 call, the ANSI code page in files.

#include <windows.h>

#include <string>
#include <string_view>

namespace velquin::win32 {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);
std::wstring fromCodePage(UINT codePage, std::string_view bytes);
// usedDefault is set when some character has no form in the code page.
std::string toCodePage(UINT codePage, std::wstring_view wide, bool* usedDefault);
std::string systemMessage(DWORD error);
// The text of a window (caption or edit contents), as the window holds it.
std::wstring windowText(HWND h);
// Puts the text on the clipboard, owned by the window; false when it could
// not.
bool textToClipboard(HWND owner, const std::string& utf8);

}  // namespace velquin::win32
