// Program entry: the main window with every page and the about box, then
// the message loop until the main window closes.

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/run_status.h"
#include "win32/session.h"
#include "win32/text.h"

namespace {

// The program's arguments, its own name first.
std::vector<std::string> arguments() {
  std::vector<std::string> args;
  int n = 0;
  if (LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &n)) {
    for (int i = 0; i < n; ++i) args.push_back(velquin::win32::narrow(argv[i]));
    LocalFree(argv);
  }
  return args;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  try {
    velquin::win32::Win32Platform os;
    velquin::win32::Session session(os);
    session.show(show);
    // Started again as administrator: the command line the user had, put
    // into its field and not run.
    const std::string line = velquin::app::editOptionText(arguments());
    if (!line.empty()) session.main()["Edit1"].setText(line);
    return session.run();
  } catch (const std::exception& e) {
    MessageBoxW(nullptr, velquin::win32::widen(e.what()).c_str(), L"Velquin",
                MB_OK | MB_ICONERROR);
    return 1;
  }
}
