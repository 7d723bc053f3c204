// Program entry: the main window with every page and the about box, then
// the message loop until the main window closes.

#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "app/run_status.h"
#include "win32/session.h"
#include "win32/system_library.h"
#include "win32/text.h"

namespace {

// The program's arguments, its own name first; none at all when nothing
// follows its name (the shell, which splits them, is then not loaded).
std::vector<std::string> arguments() {
  std::vector<std::string> args;
  const wchar_t* line = GetCommandLineW();
  // The program's name, quoted or not, then blanks.
  const wchar_t* rest = line;
  if (*rest == L'"') {
    ++rest;
    while (*rest && *rest != L'"') ++rest;
    if (*rest) ++rest;
  }
  while (*rest && *rest != L' ' && *rest != L'\t') ++rest;
  while (*rest == L' ' || *rest == L'\t') ++rest;
  if (!*rest) return args;
  const auto split = velquin::win32::systemFunction<decltype(&CommandLineToArgvW)>(
      L"shell32.dll", "CommandLineToArgvW");
  int n = 0;
  if (LPWSTR* argv = split ? split(line, &n) : nullptr) {
    for (int i = 0; i < n; ++i) args.push_back(velquin::win32::narrow(argv[i]));
    LocalFree(argv);
  }
  return args;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  try {
    velquin::win32::Win32Platform os;
    // Started again as administrator: the command line the user had, taken
    // from the instance that started this one before anything can stop the
    // start (that one waits for it), put into its field and not run.
    const std::optional<std::string> channel =
        velquin::app::handOverChannel(arguments());
    std::optional<std::string> line;
    if (channel) line = os.takeOffer(*channel);
    velquin::win32::Session session(os);
    session.show(show);
    if (channel) session.program().status().carriedOver(line);
    return session.run();
  } catch (const std::exception& e) {
    MessageBoxW(nullptr, velquin::win32::widen(e.what()).c_str(), L"Velquin",
                MB_OK | MB_ICONERROR);
    return 1;
  }
}
