// A console program of the tests' own, run by Velquin as a command:
//   velquin_event_tool events        prints "ready", then the name of each
//                                    console event it receives; Ctrl+Break
//                                    goes on, Ctrl-C ends it (10 s at most)
//   velquin_event_tool say <ms> <line>...   prints each line, waiting <ms>
//                                    between them
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <cstdlib>

namespace {

volatile LONG ended = 0;

BOOL WINAPI onEvent(DWORD event) {
  if (event == CTRL_BREAK_EVENT) {
    std::printf("CTRL_BREAK_EVENT\n");
  } else if (event == CTRL_C_EVENT) {
    std::printf("CTRL_C_EVENT\n");
    InterlockedExchange(&ended, 1);
  } else {
    return FALSE;
  }
  std::fflush(stdout);
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc >= 2 && std::wcscmp(argv[1], L"events") == 0) {
    SetConsoleCtrlHandler(onEvent, TRUE);
    std::printf("ready\n");
    std::fflush(stdout);
    for (int i = 0; i < 1000 && !ended; ++i) Sleep(10);
    std::printf("end\n");
    return 0;
  }
  if (argc >= 3 && std::wcscmp(argv[1], L"say") == 0) {
    const DWORD pause = static_cast<DWORD>(std::wcstoul(argv[2], nullptr, 10));
    for (int i = 3; i < argc; ++i) {
      if (i > 3) Sleep(pause);
      std::printf("%ls\r\n", argv[i]);
      std::fflush(stdout);
    }
    return 0;
  }
  return 2;
}
