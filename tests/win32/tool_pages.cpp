#include "tool_pages.h"

#include <algorithm>

#include "win32/text.h"

namespace velquin::test {

std::string systemOutput(const std::string& command) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) return "(no pipe)";
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = writeEnd;
  si.hStdError = writeEnd;
  std::wstring cmd = win32::widen(command);
  PROCESS_INFORMATION pi{};
  const BOOL started = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr,
                                      TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                                      &si, &pi);
  CloseHandle(writeEnd);
  std::string bytes;
  if (started) {
    const DWORD deadline = GetTickCount() + 20000;
    for (;;) {
      DWORD waiting = 0;
      if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &waiting, nullptr))
        break;  // the program has ended and everything is read
      if (waiting > 0) {
        char buf[4096];
        DWORD got = 0;
        if (!ReadFile(readEnd, buf, std::min<DWORD>(waiting, sizeof buf), &got,
                      nullptr))
          break;
        bytes.append(buf, got);
        continue;
      }
      if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) {
        PeekNamedPipe(readEnd, nullptr, 0, nullptr, &waiting, nullptr);
        if (waiting == 0) break;
        continue;
      }
      if (static_cast<LONG>(GetTickCount() - deadline) > 0) {
        TerminateProcess(pi.hProcess, 1);
        bytes += "(did not end)";
        break;
      }
      Sleep(5);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  CloseHandle(readEnd);
  return win32::narrow(win32::fromCodePage(932, bytes));
}

int japaneseCharacters(const std::string& utf8) {
  int n = 0;
  for (wchar_t c : win32::widen(utf8))
    if ((c >= 0x3040 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF) ||
        (c >= 0xFF61 && c <= 0xFF9F))
      ++n;
  return n;
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string l = text.substr(start, end - start);
    if (!l.empty() && l.back() == '\r') l.pop_back();
    out.push_back(l);
    start = end + 1;
  }
  return out;
}

namespace {

const wchar_t kWatchdogFired[] = L"VelquinTestWatchdog";
constexpr UINT_PTR kWatchdogTimer = 0x7E57;

// Presses the stop button of a run that takes too long, as a user would.
void CALLBACK watchdog(HWND main, UINT, UINT_PTR id, DWORD) {
  KillTimer(main, id);
  SetPropW(main, kWatchdogFired, reinterpret_cast<HANDLE>(1));
  SendMessageW(findByName(main, "btnBreak"), BM_CLICK, 0, 0);
}

}  // namespace

void ToolPages::enterField(const std::string& name) {
  SetFocus(byName(name));
  pump(10);
}

void ToolPages::choose(const std::string& combo, int index) {
  HWND h = byName(combo);
  SendMessageW(h, CB_SETCURSEL, index, 0);
  SendMessageW(GetParent(h), WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(h), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(h));
  pump(10);
}

void ToolPages::typeKeys(const std::string& combo, const std::string& text) {
  HWND edit = FindWindowExW(byName(combo), nullptr, L"Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  SetFocus(edit);
  pump(10);
  for (wchar_t c : win32::widen(text)) SendMessageW(edit, WM_CHAR, c, 1);
  pump(10);
}

void ToolPages::altKey(char letter) {
  PostMessageW(GetFocus(), WM_SYSCHAR, static_cast<WPARAM>(letter), 1 << 29);
  pump(20);
}

void ToolPages::perform(const std::vector<Step>& steps) {
  for (const Step& s : steps) {
    switch (s.kind) {
      case Step::Click: click(s.name); break;
      case Step::Type: typeInto(s.name, s.text); break;
      case Step::Enter: enterField(s.name); break;
      case Step::Choose: choose(s.name, s.index); break;
      case Step::Alt: altKey(s.text[0]); break;
    }
  }
}

std::string ToolPages::line() {
  std::string s = text("Edit1");
  std::replace(s.begin(), s.end(), ' ', '_');
  return s;
}

::testing::AssertionResult ToolPages::runToEnd(UINT limitMs) {
  HWND top = window->hwnd();
  RemovePropW(top, kWatchdogFired);
  SetTimer(top, kWatchdogTimer, limitMs, watchdog);
  click("btnDO");
  KillTimer(top, kWatchdogTimer);
  if (RemovePropW(top, kWatchdogFired))
    return ::testing::AssertionFailure()
           << "\"" << main()["Edit1"].text() << "\" ran longer than "
           << limitMs << " ms and was stopped";
  return ::testing::AssertionSuccess();
}

}  // namespace velquin::test
