#pragma once
// Functions of system libraries that most runs never need (the file
// dialogs, the shell, accessibility), loaded at their first use: their
// libraries, and the many they load in turn, would otherwise cost every
// start time and memory. From the system folder only.

#include <windows.h>

namespace velquin::win32 {

// The function, or null when the library or the function is missing.
template <typename Fn>
Fn systemFunction(const wchar_t* library, const char* name) {
  HMODULE m = GetModuleHandleW(library);
  if (!m) m = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  return m ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, name)))
           : nullptr;
}

}  // namespace velquin::win32
