// Velquin.exe itself, started as a user starts it, inspected from outside
// as another tool would: by window class, caption and Name properties.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "wine_app.h"
#include "win32/text.h"

namespace velquin::test {
namespace {

TEST(Program, StartsAndShowsEveryControlByNameToAnotherProcess) {
  const char* exe = std::getenv("VELQUIN_EXE");
  ASSERT_NE(exe, nullptr) << "VELQUIN_EXE names the program under test";
  std::wstring cmd = L"\"" + win32::widen(exe) + L"\"";
  STARTUPINFOW si{sizeof si};
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0,
                             nullptr, nullptr, &si, &pi));
  WaitForInputIdle(pi.hProcess, 10000);
  HWND main = nullptr;
  for (int i = 0; i < 200 && !main; ++i) {
    main = FindWindowW(L"TfrmMain", L"Velquin ");
    if (!main) Sleep(50);
  }
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(nameOf(main), "frmMain");
  for (const char* name : {"Edit1", "btnDO", "RadioGroup1", "RadioGroup1#6",
                           "PageControl2", "TS_Top", "Memo0", "Edit_flg"})
    EXPECT_NE(findByName(main, name), nullptr) << name;
  // The close button ends the program.
  PostMessageW(findByName(main, "btnClose"), BM_CLICK, 0, 0);
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 10000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

}  // namespace
}  // namespace velquin::test
