// Keeping results, saving them and running command files through the real
// window under Wine: the system's own file dialogs and the questions they
// ask, the real runner with the system's console programs, and the bytes of
// the files that end up on disk.
#include "wine_app.h"

#include <commctrl.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "results/data_page.h"
#include "win32/text.h"

namespace velquin::test {

void PrintTo(const DialogHand::Seen& s, std::ostream* os) {
  *os << "{" << s.caption << " | " << s.text << " | " << s.folder << " | "
      << s.fileName << "}";
}

namespace {

namespace fs = std::filesystem;

const std::string kSep = "\r\n" + std::string(48, '-') + "\r\n";
constexpr int kDataPage = 2;
constexpr int kBatchPage = 3;

std::string readBytes(const std::string& path) {
  std::ifstream in(fs::path(win32::widen(path)), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(fs::path(win32::widen(path)), std::ios::binary) << bytes;
}

std::string toCp932(const std::string& utf8) {
  return win32::toCodePage(932, win32::widen(utf8), nullptr);
}

// A memo's text as a copy of its lines shows it, every line (the last one
// too) ended by CR LF; and as it is saved: the same in the code page.
std::string withLineEnds(const std::string& memoText) {
  std::string out;
  size_t start = 0;
  while (start < memoText.size()) {
    size_t end = memoText.find_first_of("\r\n", start);
    if (end == std::string::npos) end = memoText.size();
    out += memoText.substr(start, end - start) + "\r\n";
    start = end + (memoText.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return out;
}
std::string asSaved(const std::string& memoText) {
  return toCp932(withLineEnds(memoText));
}

// The files of a folder, by name.
std::vector<std::string> filesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(fs::path(win32::widen(folder))))
    names.push_back(win32::narrow(e.path().filename().wstring()));
  std::sort(names.begin(), names.end());
  return names;
}

// A folder that nobody may write into: without write permission and, for
// root, whom permissions do not stop, immutable as well. Wine has no call
// for either, so the host's own chmod and chattr do it, through a shell that
// a process under Wine may start like any other program. Such a process
// cannot be waited for: it leaves a mark file beside the folder once done,
// and that is awaited, within a bound.
class LockedFolder {
 public:
  explicit LockedFolder(const std::string& path)
      : path_(path), unix_(unixPath(path)) {
    locked_ = !unix_.empty() &&
              shell("chmod a-w '" + unix_ + "'; chattr +i '" + unix_ +
                    "' 2>/dev/null") &&
              !writable();
  }
  ~LockedFolder() {
    if (!unix_.empty())
      shell("chattr -i '" + unix_ + "' 2>/dev/null; chmod u+w '" + unix_ + "'");
  }
  bool locked() const { return locked_; }

 private:
  static std::string unixPath(const std::string& path) {
    using Fn = char*(CDECL*)(LPCWSTR);
    FARPROC proc = GetProcAddress(GetModuleHandleW(L"kernel32.dll"),
                                  "wine_get_unix_file_name");
    if (!proc) return {};
    char* p = reinterpret_cast<Fn>(reinterpret_cast<void*>(proc))(
        win32::widen(path).c_str());
    if (!p) return {};
    std::string out = p;
    HeapFree(GetProcessHeap(), 0, p);
    return out;
  }
  bool shell(const std::string& script) {
    const std::wstring done = win32::widen(path_ + ".done");
    DeleteFileW(done.c_str());
    std::wstring cmd = L"\"Z:\\bin\\sh\" -c \"" +
                       win32::widen(script + "; touch '" + unix_ + ".done'") +
                       L"\"";
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
      return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    for (int i = 0; i < 250; ++i) {
      if (DeleteFileW(done.c_str())) return true;
      Sleep(20);
    }
    return false;
  }
  bool writable() const {
    std::wstring probe = win32::widen(path_ + "\\probe.tmp");
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_NEW, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    DeleteFileW(probe.c_str());
    return true;
  }

  std::string path_;
  std::string unix_;
  bool locked_ = false;
};

class Results : public WineApp {
 protected:
  std::string dataPath(const std::string& name) {
    return folder + "\\Data\\" + name;
  }

  // A click on a tab of the main pages, where the user clicks it.
  void showPage(int index) {
    HWND tabs = byName("PageControl1");
    RECT rc{};
    SendMessageW(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rc));
    LPARAM at = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(tabs, WM_LBUTTONUP, 0, at);
    pump(10);
  }

  // Types a command line on the first page and runs it to its end.
  void run(const std::string& command) {
    showPage(0);
    typeInto("Edit1", command);
    Deadline bound(window->hwnd(), 20000);
    click("btnDO");
    ASSERT_FALSE(bound.fired()) << command << " did not end";
  }

  // The user types at the end of a memo, as from the keyboard.
  void typeAtEnd(const std::string& name, const std::string& text) {
    HWND memo = byName(name);
    SetFocus(memo);
    int len = GetWindowTextLengthW(memo);
    SendMessageW(memo, EM_SETSEL, len, len);
    std::wstring w = win32::widen(text);
    SendMessageW(memo, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(w.c_str()));
    pump(10);
  }

  // Runs ipconfig, keeps its output anew on the data page and types a note
  // below it; what is kept then.
  std::string keepWithNote(const std::string& note) {
    run("ipconfig");
    showPage(kDataPage);
    click("btnNreInp");
    typeAtEnd("Memo1", note);
    return text("Memo1");
  }

  // Which of the data page's four buttons can be pressed, in their order.
  std::string buttons() {
    std::string s;
    for (const char* b : {"btnNreInp", "btnAddInp", "btnClear", "btnSave"})
      s += IsWindowEnabled(byName(b)) ? '1' : '0';
    return s;
  }

  // A button pressed with dialogs answered by the given steps; what the
  // dialogs showed.
  std::vector<DialogHand::Seen> clickThrough(
      const std::string& button, std::vector<DialogHand::Step> steps) {
    DialogHand hand(std::move(steps));
    click(button);
    std::vector<DialogHand::Seen> seen = hand.finish();
    EXPECT_TRUE(hand.allTaken()) << button << ": a dialog did not appear";
    return seen;
  }
  // A button that opens a file dialog, answered with this file name.
  std::vector<DialogHand::Seen> chooseFile(const std::string& button,
                                           const std::string& path) {
    return clickThrough(button, {DialogHand::chooseFile(path)});
  }

  std::string caption() { return windowText(window->hwnd()); }

  // Alt and a letter, as the message loop receives it: for the focused
  // window or, when a button that had the focus has just been disabled and
  // nothing has it, for the active window.
  void altKey(char letter) {
    HWND to = GetFocus() ? GetFocus() : window->hwnd();
    PostMessageW(to, WM_SYSCHAR, letter, 1 << 29);
    pump();
  }
};

TEST_F(Results, ACommandFileLoadedWithTheOpenDialogSavesEachPartInData) {
  writeBytes(dataPath("cmds.txt"), toCp932("ipconfig /all\r\n>>a.txt\r\n"
                                           "// note\r\narp -a\r\n>>b.txt\r\n"));
  writeBytes(dataPath("a.txt"), "an older result, replaced without asking");
  showPage(kBatchPage);

  // A bare name: the dialog opens in the Data folder.
  auto seen = chooseFile("Button3", "cmds.txt");
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "設定ﾌｧｲﾙ");
  EXPECT_EQ(seen[0].folder, folder + "\\Data");
  EXPECT_EQ(text("Memo3"),
            "ipconfig /all\r\n>>a.txt\r\n// note\r\narp -a\r\n>>b.txt\r\n");
  // Cancelled, the dialog leaves the command file as it was.
  seen = clickThrough("Button3", {DialogHand::press(IDCANCEL)});
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].folder, folder + "\\Data");
  EXPECT_EQ(text("Memo3"),
            "ipconfig /all\r\n>>a.txt\r\n// note\r\narp -a\r\n>>b.txt\r\n");

  {
    DialogHand watch({});
    Deadline bound(window->hwnd(), 30000);
    click("Button4");
    ASSERT_FALSE(bound.fired()) << "the batch did not end";
    EXPECT_EQ(watch.finish(), std::vector<DialogHand::Seen>{})
        << "save lines replace without asking";
  }
  EXPECT_EQ(os.messages, std::vector<std::string>{});
  // The kept results, never shown during the batch, show the model's text.
  showPage(kDataPage);
  EXPECT_EQ(text("Memo1"), "");
  EXPECT_EQ(caption(), "Velquin ");

  // The output view still shows the last command, which went into b.txt.
  EXPECT_EQ(text("Memo0").rfind("arp -a\r\n", 0), 0u);
  EXPECT_EQ(readBytes(dataPath("b.txt")), asSaved(kSep + text("Memo0")));

  // a.txt: the separator, the command and its output, in Shift-JIS; the
  // same command run again shows the same text.
  const std::string a = readBytes(dataPath("a.txt"));
  EXPECT_EQ(a.rfind(toCp932(kSep + "ipconfig /all\r\n"), 0), 0u);
  run("ipconfig /all");
  EXPECT_EQ(a, asSaved(kSep + text("Memo0")));
  // Japanese text went in as double bytes of the code page, and nothing in
  // the file is a bare line feed or a UTF-8 byte-order mark.
  EXPECT_TRUE(std::any_of(a.begin(), a.end(), [](char c) { return c & 0x80; }));
  EXPECT_EQ(win32::toCodePage(932, win32::fromCodePage(932, a), nullptr), a);
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] == '\n') {
      ASSERT_EQ(a[i - 1], '\r') << "at " << i;
    }
  }

  // Saving the command file over the one loaded asks first.
  showPage(kBatchPage);
  typeAtEnd("Memo3", "ipconfig");
  seen = clickThrough("btnSaveT",
                      {DialogHand::chooseFile(dataPath("cmds.txt")),
                       DialogHand::press(IDYES)});
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[1].folder, "") << "a question, not a second dialog";
  EXPECT_EQ(readBytes(dataPath("cmds.txt")),
            toCp932("ipconfig /all\r\n>>a.txt\r\n// note\r\narp -a\r\n"
                    ">>b.txt\r\nipconfig\r\n"));
  EXPECT_EQ(caption(), dataPath("cmds.txt"));
}

TEST_F(Results, ASaveLineThatCannotWriteEndsTheBatchAndKeepsTheResults) {
  showPage(kBatchPage);
  typeAtEnd("Memo3", "ipconfig\r\n>>r.txt\r\narp -a\r\n");
  LockedFolder lock(folder + "\\Data");
  ASSERT_TRUE(lock.locked()) << "the Data folder could not be locked";
  Deadline bound(window->hwnd(), 30000);
  click("Button4");
  ASSERT_FALSE(bound.fired()) << "the batch did not end";

  ASSERT_EQ(os.messages.size(), 1u);
  EXPECT_EQ(os.messages[0], "ファイル " + dataPath("r.txt") +
                                " を作成できません。\r\n" +
                                win32::systemMessage(ERROR_ACCESS_DENIED));
  // arp never ran: the view still shows ipconfig, which stays kept.
  EXPECT_EQ(text("Memo0").rfind("ipconfig\r\n", 0), 0u);
  showPage(kDataPage);
  EXPECT_EQ(text("Memo1"), kSep + text("Memo0"));
  EXPECT_EQ(filesIn(folder + "\\Data"), std::vector<std::string>{});
}

TEST_F(Results, TheStopButtonEndsOnlyTheCommandThatABatchIsRunning) {
  showPageOf("Memo0");  // the hand below watches the output view's window
  showPage(kBatchPage);
  typeAtEnd("Memo3", "ping -n 30 127.0.0.1\r\n>>p.txt\r\ncmd /c echo next\r\n");
  // The user presses the stop button once the ping shows in the view; it
  // would run for half a minute otherwise.
  HWND memo0 = byName("Memo0"), stop = byName("btnBreak");
  std::thread hand([memo0, stop] {
    for (int i = 0; i < 500; ++i) {
      if (windowText(memo0).rfind("ping -n 30", 0) == 0) {
        Sleep(300);
        PostMessageW(stop, BM_CLICK, 0, 0);
        return;
      }
      Sleep(20);
    }
  });
  Deadline bound(window->hwnd(), 20000);
  click("Button4");
  hand.join();
  ASSERT_FALSE(bound.fired()) << "the ping was not stopped";

  EXPECT_EQ(readBytes(dataPath("p.txt"))
                .rfind(toCp932(kSep + "ping -n 30 127.0.0.1\r\n"), 0),
            0u);
  EXPECT_EQ(text("Memo0"), "cmd /c echo next\r\nnext\r\n");
  showPage(kDataPage);
  EXPECT_EQ(text("Memo1"), kSep + text("Memo0"));
  EXPECT_EQ(text("Edit_flg"), "0");
}

TEST_F(Results, SavingAsksBeforeReplacingAndShowsThePathInTheCaption) {
  run("ipconfig");
  const std::string output = text("Memo0");
  showPage(kDataPage);
  click("btnNreInp");
  ASSERT_EQ(text("Memo1"), output);
  EXPECT_EQ(buttons(), "0111");

  const std::string txt = dataPath("kept.txt"), csv = dataPath("kept.csv");
  auto seen = chooseFile("btnSave", txt);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(caption(), txt);
  EXPECT_EQ(readBytes(txt), asSaved(output));
  // The dialog proposes the last name, in its folder; a ".csv" file holds
  // the same bytes.
  seen = chooseFile("btnSave", csv);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].fileName, "kept.txt");
  EXPECT_EQ(seen[0].folder, folder + "\\Data");
  EXPECT_EQ(caption(), csv);
  EXPECT_EQ(readBytes(csv), readBytes(txt));

  typeAtEnd("Memo1", "メモ");
  // "No" to replacing returns to the dialog, which the user cancels.
  seen = clickThrough("btnSave", {DialogHand::chooseFile(txt),
                                  DialogHand::press(IDNO),
                                  DialogHand::press(IDCANCEL)});
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[1].folder, "") << "a question, not a second dialog";
  EXPECT_EQ(readBytes(txt), asSaved(output));
  EXPECT_EQ(caption(), csv);
  seen = clickThrough("btnSave", {DialogHand::chooseFile(txt),
                                  DialogHand::press(IDYES)});
  EXPECT_EQ(seen.size(), 2u);
  EXPECT_EQ(readBytes(txt), asSaved(output + "メモ"));
  EXPECT_EQ(caption(), txt);
  EXPECT_EQ(os.messages, std::vector<std::string>{});
}

TEST_F(Results, AFailedSaveShowsTheSystemsTextAndLeavesTheOldFile) {
  const std::string kept = keepWithNote("メモ");
  const std::string target = dataPath("kept.txt");
  const std::string failed = "ファイル " + target + " を作成できません。\r\n" +
                             win32::systemMessage(ERROR_ACCESS_DENIED);
  writeBytes(target, "old results");

  // Another program holds the file open, then the folder cannot be written.
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round == 0 ? "file in use" : "folder locked");
    os.messages.clear();
    HANDLE other = INVALID_HANDLE_VALUE;
    std::unique_ptr<LockedFolder> lock;
    if (round == 0) {
      other = CreateFileW(win32::widen(target).c_str(), GENERIC_READ, 0,
                          nullptr, OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(other, INVALID_HANDLE_VALUE);
    } else {
      lock = std::make_unique<LockedFolder>(folder + "\\Data");
      ASSERT_TRUE(lock->locked()) << "the Data folder could not be locked";
    }
    clickThrough("btnSave", {DialogHand::chooseFile(target),
                             DialogHand::press(IDYES)});
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
    lock.reset();

    EXPECT_EQ(os.messages, std::vector<std::string>{failed});
    EXPECT_EQ(readBytes(target), "old results");
    EXPECT_EQ(filesIn(folder + "\\Data"), std::vector<std::string>{"kept.txt"});
    EXPECT_EQ(text("Memo1"), kept);
    EXPECT_TRUE(main()["Memo1"].modified());
    EXPECT_EQ(caption(), target);
  }
}

TEST_F(Results, TextTheCodePageCannotHoldIsToldAfterTheSave) {
  const std::string kept = keepWithNote("한국어");
  const std::string target = dataPath("kept.txt");
  chooseFile("btnSave", target);
  EXPECT_EQ(os.messages, std::vector<std::string>{std::string(results::kLossyNote) +
                                                  "\r\n" + target});
  EXPECT_EQ(readBytes(target), asSaved(kept));
  EXPECT_EQ(text("Memo1"), kept);
  EXPECT_TRUE(main()["Memo1"].modified()) << "the file does not hold it all";
}

TEST_F(Results, AppendingAfterAHandEditKeepsTheEdit) {
  run("cmd /c echo one");
  const std::string one = text("Memo0");
  showPage(kDataPage);
  click("btnNreInp");
  typeAtEnd("Memo1", "メモ");
  run("cmd /c echo two");
  const std::string two = text("Memo0");
  showPage(kDataPage);
  click("btnAddInp");
  EXPECT_EQ(text("Memo1"), one + "メモ" + kSep + two);
  EXPECT_EQ(main()["Memo1"].text(), text("Memo1"));
}

TEST_F(Results, TheDataPagesButtonsAnswerTheirAccelerators) {
  run("ipconfig");
  const std::string output = text("Memo0");
  showPage(kDataPage);
  SetFocus(byName("Memo1"));

  altKey('n');
  EXPECT_EQ(text("Memo1"), output);
  altKey('a');
  EXPECT_EQ(text("Memo1"), output + kSep + output);
  {
    DialogHand hand({DialogHand::chooseFile(dataPath("kept.txt"))});
    altKey('s');
    hand.finish();
    EXPECT_EQ(readBytes(dataPath("kept.txt")), asSaved(output + kSep + output));
  }
  altKey('c');
  EXPECT_EQ(text("Memo1"), "");
  EXPECT_EQ(buttons(), "1000");
  // The write button copies the output view; asked whether to append to
  // what is kept, "No" replaces it.
  altKey('w');
  EXPECT_EQ(text("Memo1"), withLineEnds(output));
  typeAtEnd("Memo1", "メモ");
  altKey('w');
  EXPECT_EQ(text("Memo1"), withLineEnds(output));
}

}  // namespace
}  // namespace velquin::test
