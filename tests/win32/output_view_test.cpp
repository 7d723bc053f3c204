// The output view Memo0 in the real window: it follows the newest line
// until the user looks elsewhere, selects with keys and mouse, copies to
// the clipboard, and gives its whole text to another program; texts that
// another program sets into Memo1 and Memo3 are the ones kept and run.
#include <windowsx.h>
#include <oleacc.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>

#include "wine_app.h"
#include "form/output_doc.h"
#include "win32/text.h"

namespace velquin::test {
namespace {

// A command that prints a few thousand short lines over a few seconds.
const std::string kLongOutput = "cmd /c for /l %i in (1,1,4000) do @echo line %i";

// Steps of the user's hand during a run, taken in order from a timer that
// the run's own message pump serves; each acts once its condition holds. A
// run still going after limitMs is stopped, so a test fails, never hangs.
class Steps {
 public:
  struct Step {
    std::function<bool()> when;
    std::function<void()> then;
  };
  Steps(HWND window, std::vector<Step> steps, DWORD limitMs)
      : window_(window), steps_(std::move(steps)), deadline_(GetTickCount() + limitMs) {
    SetPropW(window_, kProp, this);
    SetTimer(window_, kTimer, 20, tick);
  }
  ~Steps() {
    KillTimer(window_, kTimer);
    RemovePropW(window_, kProp);
  }
  size_t taken() const { return next_; }

 private:
  static constexpr const wchar_t* kProp = L"VelquinViewTestSteps";
  static constexpr UINT_PTR kTimer = 0x7E59;
  static void CALLBACK tick(HWND window, UINT, UINT_PTR, DWORD) {
    auto* s = static_cast<Steps*>(GetPropW(window, kProp));
    if (!s) return;
    if (s->next_ < s->steps_.size() && s->steps_[s->next_].when())
      s->steps_[s->next_++].then();
    if (static_cast<LONG>(GetTickCount() - s->deadline_) >= 0)
      PostMessageW(findByName(window, "btnBreak"), BM_CLICK, 0, 0);
  }
  HWND window_;
  std::vector<Step> steps_;
  DWORD deadline_;
  size_t next_ = 0;
};

class OutputView : public WineApp {
 protected:
  // The steps below watch the view's window from before the run starts.
  OutputView() { showPageOf("Memo0"); }
  void run(const std::string& command) {
    typeInto("Edit1", command);
    click("btnDO");
  }
  SCROLLINFO vertical() {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_ALL;
    GetScrollInfo(byName("Memo0"), SB_VERT, &si);
    return si;
  }
  bool newestInSight() {
    const SCROLLINFO si = vertical();
    return si.nPos + static_cast<int>(si.nPage) > si.nMax;
  }
  size_t lines() { return static_cast<size_t>(vertical().nMax) + 1; }
  // Keys with Ctrl or Shift held, as the thread's keyboard state shows them.
  void keys(std::initializer_list<UINT> vks, UINT held = 0) {
    BYTE state[256];
    GetKeyboardState(state);
    BYTE saved = held ? state[held] : 0;
    if (held) state[held] = 0x80;
    SetKeyboardState(state);
    for (UINT vk : vks) SendMessageW(byName("Memo0"), WM_KEYDOWN, vk, 0);
    if (held) state[held] = saved;
    SetKeyboardState(state);
  }
  std::string clipboard() { return clipboardText(window->hwnd()); }
  // Runs the other program and handles this window's messages until it ends.
  bool tool(const std::string& verb, HWND target, const std::string& file) {
    return program(L"velquin_text_tool.exe", win32::widen(verb) + L" " +
                                                 std::to_wstring(reinterpret_cast<INT_PTR>(target)) +
                                                 L" \"" + win32::widen(file) + L"\"");
  }
  bool program(const wchar_t* name, const std::wstring& arguments) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::filesystem::path exe = std::filesystem::path(self).parent_path() / name;
    std::wstring command = L"\"" + exe.wstring() + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    // Without a console: a console of its own would open a window that
    // takes the front from this one, as a screen reader never does.
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS,
                        nullptr, nullptr, &si, &pi))
      return false;
    DWORD code = 1;
    for (int i = 0; i < 600 && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT; ++i)
      pump(20);
    // One that never ends fails the test and is not left behind.
    if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code == 0;
  }
  std::string file(const std::string& name) { return folder + "\\" + name; }
  static std::string readUtf8(const std::string& path) {
    std::ifstream in(std::filesystem::path(win32::widen(path)), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static void writeUtf8(const std::string& path, const std::string& text) {
    std::ofstream(std::filesystem::path(win32::widen(path)), std::ios::binary) << text;
  }
};

TEST_F(OutputView, TheNewestLineStaysInSightUntilTheUserScrollsAway) {
  size_t linesWhenScrolled = 0;
  bool followed = false, stayed = true;
  Steps steps(window->hwnd(),
              {{[&] { return lines() > 200; },
                [&] {
                  followed = newestInSight();
                  // The user scrolls to the top with the bar.
                  SendMessageW(byName("Memo0"), WM_VSCROLL, SB_TOP, 0);
                  linesWhenScrolled = lines();
                }},
               {[&] { return lines() > linesWhenScrolled + 300; },
                [&] {
                  stayed = vertical().nPos == 0;
                  // Back to the end: following resumes.
                  SendMessageW(byName("Memo0"), WM_VSCROLL, SB_BOTTOM, 0);
                }}},
              60000);
  run(kLongOutput);
  ASSERT_EQ(steps.taken(), 2u) << text("Memo0").substr(0, 200);
  EXPECT_TRUE(followed);
  EXPECT_TRUE(stayed);
  EXPECT_TRUE(newestInSight());
  EXPECT_NE(text("Memo0").find("line 4000\r\n"), std::string::npos);

  // A wheel turn up leaves the end as well.
  SendMessageW(byName("Memo0"), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_FALSE(newestInSight());
}

// A page holds the lines that fit in it whole: at the end of the text the
// last line is wholly in sight, whatever part of a line the height leaves.
TEST_F(OutputView, AtTheEndTheLastLineIsWhollyInSight) {
  std::string many;
  for (int i = 1; i <= 200; ++i) many += "line " + std::to_string(i) + "\r\n";
  window->fromUser([&] { main()["Memo0"].setText(many); });
  HWND memo = byName("Memo0");
  SetFocus(memo);
  pump();
  auto caret = [&] {
    GUITHREADINFO gti{};
    gti.cbSize = sizeof gti;
    GetGUIThreadInfo(GetCurrentThreadId(), &gti);
    return gti.rcCaret;
  };
  const RECT first = caret();
  const int line = first.bottom - first.top;  // the caret is a line high
  ASSERT_GT(line, 0);
  RECT outer{}, inner{};
  GetWindowRect(memo, &outer);
  GetClientRect(memo, &inner);
  const int frame = (outer.bottom - outer.top) - inner.bottom;
  for (int part : {0, 1, line / 2, line - 1}) {
    SetWindowPos(memo, nullptr, 0, 0, outer.right - outer.left, frame + 10 * line + part,
                 SWP_NOMOVE | SWP_NOZORDER);
    keys({VK_HOME, VK_END}, VK_CONTROL);
    pump();
    RECT client{};
    GetClientRect(memo, &client);
    const RECT at = caret();
    EXPECT_LE(at.bottom, client.bottom) << "a part of " << part << " px";
    EXPECT_GT(at.top, client.bottom - 2 * line) << "a part of " << part << " px";
  }
}

TEST_F(OutputView, AUserSelectionKeepsTheViewWhereItIs) {
  bool stayed = false;
  int at = -1;
  Steps steps(window->hwnd(),
              {{[&] { return lines() > 200; },
                [&] {
                  HWND memo = byName("Memo0");
                  SendMessageW(memo, WM_VSCROLL, SB_LINEUP, 0);
                  SendMessageW(memo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
                  SendMessageW(memo, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 30));
                  SendMessageW(memo, WM_LBUTTONUP, 0, MAKELPARAM(40, 30));
                  at = vertical().nPos;
                }},
               {[&] { return lines() > 1500; }, [&] { stayed = vertical().nPos == at; }}},
              60000);
  run(kLongOutput);
  ASSERT_EQ(steps.taken(), 2u);
  EXPECT_TRUE(stayed);
  EXPECT_EQ(vertical().nPos, at);
}

TEST_F(OutputView, SelectAllThenCopyPutsTheWholeOutputOnTheClipboard) {
  run("ipconfig /all");
  const std::string shown = text("Memo0");
  ASSERT_GT(shown.size(), 100u);
  SetFocus(byName("Memo0"));
  keys({'A', 'C'}, VK_CONTROL);
  EXPECT_EQ(clipboard(), shown);

  // Keys and the mouse select parts: Ctrl+Home, then Shift+End and down.
  keys({VK_HOME}, VK_CONTROL);
  keys({VK_END}, VK_SHIFT);
  keys({'C'}, VK_CONTROL);
  EXPECT_EQ(clipboard(), "ipconfig /all");
  keys({VK_HOME});
  keys({VK_DOWN, VK_END}, VK_SHIFT);
  keys({VK_INSERT}, VK_CONTROL);
  const std::string secondLine = shown.substr(15, shown.find("\r\n", 15) - 15);
  EXPECT_EQ(clipboard(), "ipconfig /all\r\n" + secondLine);

  // A click sets where a selection begins, a click with Shift held where it
  // ends, before the start as well as after it.
  HWND memo = byName("Memo0");
  auto clickAt = [&](int x, WPARAM held) {
    SendMessageW(memo, WM_LBUTTONDOWN, MK_LBUTTON | held, MAKELPARAM(x, 3));
    SendMessageW(memo, WM_LBUTTONUP, held, MAKELPARAM(x, 3));
  };
  for (auto [from, to] : {std::pair{0, 3000}, std::pair{3000, 0}}) {
    clickAt(from, 0);
    clickAt(to, MK_SHIFT);
    keys({'C'}, VK_CONTROL);
    EXPECT_EQ(clipboard(), "ipconfig /all") << from << " to " << to;
  }

  // A double-click selects the word under it: the command's name.
  SendMessageW(memo, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(10, 3));
  keys({'C'}, VK_CONTROL);
  EXPECT_EQ(clipboard(), "ipconfig");
}

TEST_F(OutputView, AnotherProgramReadsTheCommandLineAndTheOutput) {
  run("ipconfig /all");
  const std::string shown = main()["Memo0"].text();
  ASSERT_TRUE(tool("get", byName("Memo0"), file("memo0.txt")));
  EXPECT_EQ(readUtf8(file("memo0.txt")), shown);
  EXPECT_EQ(shown.rfind("ipconfig /all\r\n", 0), 0u);
  EXPECT_EQ(GetWindowTextLengthW(byName("Memo0")),
            static_cast<int>(win32::widen(shown).size()));

  // And may replace it: the program sees the new text.
  writeUtf8(file("new.txt"), "置き換え\r\n");
  ASSERT_TRUE(tool("set", byName("Memo0"), file("new.txt")));
  EXPECT_EQ(main()["Memo0"].text(), "置き換え\r\n");
  EXPECT_EQ(text("Memo0"), "置き換え\r\n");
}

TEST_F(OutputView, TextsThatAnotherProgramSetsAreKeptAndRun) {
  // Memo1: the kept results that a tool wrote are what the buttons see.
  writeUtf8(file("kept.txt"), "ツールが書いた結果\r\n");
  showPageOf("Memo1");
  ASSERT_TRUE(tool("set", byName("Memo1"), file("kept.txt")));
  window->fromUser([this] { main().form().execute("Act_Memo_Chk"); });
  EXPECT_EQ(main()["Edit_Chk"].text(), "1");
  EXPECT_EQ(main()["Memo1"].text(), "ツールが書いた結果\r\n");

  // Memo3: the command file that a tool wrote is the one run.
  writeUtf8(file("cmds.txt"), "ipconfig\r\n>>tool.txt\r\n");
  showPageOf("Memo3");
  ASSERT_TRUE(tool("set", byName("Memo3"), file("cmds.txt")));
  window->fromUser([this] { main().form().execute("Act_file_Do"); });
  pump();
  const std::string saved = readUtf8(file("Data\\tool.txt"));
  EXPECT_EQ(win32::narrow(win32::fromCodePage(932, saved)).find("ツールが書いた結果\r\n"), 0u);
  EXPECT_NE(saved.find("\r\nipconfig\r\n"), std::string::npos);
}

TEST_F(OutputView, TheWindowKeepsAnsweringWhileAStoppedTreeEnds) {
  DWORD last = 0, longest = 0, stoppedAt = 0;
  Steps steps(window->hwnd(),
              {{[&] { return text("Memo0").find("TTL=") != std::string::npos; },
                [&] {
                  stoppedAt = last = GetTickCount();
                  PostMessageW(byName("btnBreak"), BM_CLICK, 0, 0);
                }},
               {[&] {
                  const DWORD now = GetTickCount();
                  if (last) longest = std::max(longest, now - last);
                  last = now;
                  return false;
                },
                [] {}}},
              30000);
  run("cmd /c for /l %i in (1,1,300) do ping -n 2 127.0.0.1");
  ASSERT_NE(stoppedAt, 0u);
  EXPECT_LT(GetTickCount() - stoppedAt, 1500u);
  EXPECT_LT(longest, 100u) << "the window went without answering";
}

// Real keys through the system's input queue, as the user types them, with
// the keys of held down around them.
void press(std::initializer_list<WORD> vks, std::initializer_list<WORD> held = {}) {
  std::vector<INPUT> in;
  auto add = [&](WORD vk, bool up) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = vk;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.push_back(i);
  };
  for (WORD h : held) add(h, false);
  for (WORD vk : vks) {
    add(vk, false);
    add(vk, true);
  }
  for (WORD h : held) add(h, true);
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

TEST_F(OutputView, FindAndTheTimesOfLinesByTheKeyboard) {
  run("cmd /c for %i in (1 2 3) do @echo reply %i");
  const std::string shown = main()["Memo0"].text();
  ASSERT_NE(shown.find("reply 3"), std::string::npos) << shown;
  HWND memo = byName("Memo0");
  ASSERT_TRUE(putFocus(memo));
  EXPECT_FALSE(visible("PanelFind"));

  press({'F'}, {VK_CONTROL});
  pump(200);
  ASSERT_TRUE(visible("PanelFind"));
  EXPECT_EQ(focusNow(), byName("EditFind"));
  press({'R', 'E', 'P', 'L', 'Y'});
  pump(200);
  EXPECT_EQ(text("EditFind"), "reply");
  EXPECT_EQ(text("LblFind"), "1 / 4");  // the command line has it too
  press({VK_RETURN});
  pump(200);
  EXPECT_EQ(text("LblFind"), "2 / 4");
  press({VK_RETURN}, {VK_SHIFT});
  pump(200);
  EXPECT_EQ(text("LblFind"), "1 / 4");
  press({VK_ESCAPE});
  pump(200);
  EXPECT_FALSE(visible("PanelFind"));
  EXPECT_EQ(focusNow(), memo);

  // The view's menu by the Apps key: the times shown, then copied.
  press({VK_APPS, 'T'});
  pump(300);
  EXPECT_TRUE(main()["Memo0"].outputDoc()->showTimes());
  press({VK_APPS, 'D'});
  pump(300);
  const std::string copied = clipboard();
  EXPECT_TRUE(std::regex_match(
      copied, std::regex(R"(\d\d:\d\d:\d\d\.\d\d\d\tcmd /c for %i in \(1 2 3\) do @echo reply %i)")))
      << copied;

  // Another program reads the selection, the match in the command line (it
  // runs last: starting it takes the foreground from this window).
  const size_t first = shown.find("reply");
  ASSERT_TRUE(tool("sel", memo, file("sel.txt")));
  EXPECT_EQ(readUtf8(file("sel.txt")), std::to_string(first) + " " + std::to_string(first + 5));
}

int valueChanges = 0;
void CALLBACK countValueChange(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
  ++valueChanges;
}

TEST_F(OutputView, SelectionAndCaretLineForAutomationAndScreenReaders) {
  HWND memo = byName("Memo0");
  window->fromUser([&] {
    main().form().userSelectPage(main()["PageControl1"], 1);
    main()["Memo0"].setText("接続 𠀋\r\nabc\r\n");
  });
  SetFocus(memo);
  pump();
  // UTF-16 offsets in the whole text, a surrogate pair counting two.
  struct Case {
    int start, end;
    std::string selected;
    DWORD from, to;
  };
  const Case cases[] = {{1, 7, "続 𠀋\r\n", 1, 7}, {0, -1, "接続 𠀋\r\nabc\r\n", 0, 12},
                        {-1, 0, "", 12, 12}, {9, 7, "ab", 7, 9}};
  for (const Case& c : cases) {
    SendMessageW(memo, EM_SETSEL, static_cast<WPARAM>(c.start), static_cast<LPARAM>(c.end));
    EXPECT_EQ(main()["Memo0"].outputDoc()->text().selectedText(), c.selected) << c.start;
    DWORD from = 99, to = 99;
    SendMessageW(memo, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from * 100 + to, c.from * 100 + c.to) << c.start;
  }

  // The accessible object, in this process.
  CoInitialize(nullptr);
  IAccessible* acc = nullptr;
  ASSERT_EQ(AccessibleObjectFromWindow(memo, OBJID_CLIENT, __uuidof(IAccessible),
                                       reinterpret_cast<void**>(&acc)), S_OK);
  VARIANT self{};
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR s = nullptr;
  ASSERT_EQ(acc->get_accName(self, &s), S_OK);
  EXPECT_EQ(win32::narrow(s), "出力");
  SysFreeString(s);
  VARIANT v{};
  acc->get_accRole(self, &v);
  EXPECT_EQ(v.lVal, ROLE_SYSTEM_TEXT);
  acc->get_accState(self, &v);
  EXPECT_EQ(v.lVal, STATE_SYSTEM_READONLY | STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED);
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE,
                                       nullptr, countValueChange, GetCurrentProcessId(), 0,
                                       WINEVENT_OUTOFCONTEXT);
  valueChanges = 0;
  SendMessageW(memo, EM_SETSEL, 0, 0);
  pump();
  ASSERT_EQ(acc->get_accValue(self, &s), S_OK);
  EXPECT_EQ(win32::narrow(s), "接続 𠀋");
  SysFreeString(s);
  SendMessageW(memo, WM_KEYDOWN, VK_DOWN, 0);
  pump();
  acc->get_accValue(self, &s);
  EXPECT_EQ(win32::narrow(s), "abc");
  SysFreeString(s);
  EXPECT_EQ(valueChanges, 2);  // to the first line, then down
  UnhookWinEvent(hook);
  SetFocus(byName("btnDO"));
  acc->get_accState(self, &v);
  EXPECT_EQ(v.lVal, STATE_SYSTEM_READONLY | STATE_SYSTEM_FOCUSABLE);
  acc->Release();
  CoUninitialize();
}

TEST_F(OutputView, AScreenReaderInAnotherProcessReadsTheView) {
  // The program sets up OLE on the window's thread itself, as the
  // accessible object's marshalling needs, when a tool first asks for the
  // object: not at start. (Wine's input method support sets up COM on
  // every thread with windows, so the reads below would pass here without
  // it; on Windows they would not.)
  EXPECT_FALSE(session->holdsCom());
  HWND memo = byName("Memo0");
  window->fromUser([&] {
    main().form().userSelectPage(main()["PageControl1"], 1);
    main()["Memo0"].setText("接続\r\nabc\r\n");
  });
  SetFocus(memo);
  SendMessageW(memo, EM_SETSEL, 0, 0);
  pump();
  // Text role 42, read-only 0x40, focusable 0x100000, focused 4; an empty
  // answer of focus or selection is S_FALSE (1) with VT_EMPTY (0).
  struct Case {
    HWND focus;
    std::string answers;
  };
  const Case cases[] = {
      {memo, "role 42\nname 出力\nstate 1048644\nvalue 接続\nfocus 00000000 3\n"
             "selection 00000001 0\n"},
      {byName("Edit1"), "role 42\nname 出力\nstate 1048640\nvalue 接続\n"
                        "focus 00000001 0\nselection 00000001 0\n"},
  };
  // The first question sets up OLE, then it is kept. Setting it up makes
  // Wine's own hidden windows on this thread, after which the focus is put
  // again below for each reading.
  const std::string first = file("first.txt");
  EXPECT_TRUE(program(L"velquin_acc_tool.exe",
                      std::to_wstring(reinterpret_cast<INT_PTR>(memo)) + L" \"" +
                          win32::widen(first) + L"\""));
  EXPECT_TRUE(session->holdsCom());
  for (const Case& c : cases) {
    // The model's focus and the window's, as a click would move both.
    window->fromUser([&] {
      main().form().setFocus(c.focus == memo ? main()["Memo0"] : main()["Edit1"]);
    });
    // A window not in front has no focus to tell of.
    ASSERT_TRUE(putFocus(c.focus));
    const std::string out = file("answers.txt");
    const bool ran = program(L"velquin_acc_tool.exe",
                             std::to_wstring(reinterpret_cast<INT_PTR>(memo)) + L" \"" +
                                 win32::widen(out) + L"\"");
    EXPECT_TRUE(ran);
    EXPECT_EQ(readUtf8(out), c.answers);
  }
}

}  // namespace
}  // namespace velquin::test
