#include "results/batch_page.h"

#include <algorithm>

namespace velquin::results {

using form::Align;
using form::Kind;

namespace {

// A file may end its lines in CR, LF or CR LF; the memo shows CR LF only.
std::string withCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      out += "\r\n";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  return out;
}

// The lines of a memo read one after another, each when its turn comes, at
// a cost per line that does not grow with the text: the next line is looked
// for where the last one ended, as long as the text has not changed since.
// Lines end as Control::lines() ends them.
class LineReader {
 public:
  explicit LineReader(const form::Control& memo) : memo_(memo) {}

  std::string line(size_t index) {
    const std::string& t = memo_.text();
    if (memo_.textVersion() != version_ || index < line_) {
      version_ = memo_.textVersion();
      line_ = 0;
      pos_ = 0;
    }
    for (; line_ < index && pos_ < t.size(); ++line_) pos_ = next(t, pos_);
    if (line_ < index || pos_ >= t.size()) return {};
    const size_t end = t.find_first_of("\r\n", pos_);
    return t.substr(pos_, end == std::string::npos ? end : end - pos_);
  }

 private:
  // Start of the line after the one that starts at pos.
  static size_t next(const std::string& t, size_t pos) {
    const size_t end = t.find_first_of("\r\n", pos);
    if (end == std::string::npos) return t.size();
    return t[end] == '\r' && end + 1 < t.size() && t[end + 1] == '\n' ? end + 2
                                                                     : end + 1;
  }

  const form::Control& memo_;
  unsigned long version_ = 0;
  size_t line_ = 0;
  size_t pos_ = 0;
};

}  // namespace

BatchPage::BatchPage(app::TfrmMain& main, DataPage& data,
                     app::RunStatus& status)
    : main_(main),
      data_(data),
      status_(status),
      edit1_(main["Edit1"]),
      memo1_(main["Memo1"]) {
  form::Form& f = main_.form();
  // The command file comes first in the tab order, the buttons after it.
  memo3_ = &f.add({.name = "Memo3", .kind = Kind::Memo, .parent = "TabSheet4",
                   .style = {.align = Align::Client,
                             .scrollBars = form::ScrollBars::Both}});
  f.add({.name = "Panel7", .kind = Kind::Panel, .parent = "TabSheet4",
         .bounds = {0, 0, 185, 0}, .style = {.align = Align::Right}});
  f.add({.name = "Button3", .kind = Kind::Button, .parent = "Panel7",
         .text = "ファイル読込", .bounds = {24, 12, 137, 23},
         .action = "Act_fileOpen"});
  f.add({.name = "Button4", .kind = Kind::Button, .parent = "Panel7",
         .text = "自動実行", .bounds = {24, 44, 137, 23},
         .action = "Act_file_Do"});
  f.add({.name = "btnSaveT", .kind = Kind::Button, .parent = "Panel7",
         .text = "実行File保存", .bounds = {24, 76, 137, 23},
         .onClick = [this] { btnSaveTClick(); }});

  f.addAction({"Act_fileOpen", "選択&表示", "ファイル読込",
               [this] { Act_fileOpenExecute(); }});
  f.addAction({"Act_file_Do", "選択&表示", "実　行",
               [this] { Act_file_DoExecute(); }});
  // The teaching button sits with the shared buttons below every page.
  f["btnTeach"].onClick = [this] { btnTeachClick(); };

  openDialog1_.title = "設定ﾌｧｲﾙ";
  openDialog1_.filter = "Textﾌｧｲﾙ|*.txt|CSVﾌｧｲﾙ|*.csv|すべてのﾌｧｲﾙ|*.*";
  openDialog1_.filterIndex = 1;
}

void BatchPage::Act_fileOpenExecute() {
  platform::Platform& os = main_.platform();
  openDialog1_.initialFolder = main_.startFolder() + "\\Data";
  // A remembered path would make the dialog open in that file's folder
  // instead of Data.
  openDialog1_.fileName.clear();
  if (!os.openDialog(openDialog1_)) return;
  std::string text;
  platform::IoResult r = os.readTextFile(openDialog1_.fileName, text);
  if (!r.ok) {
    os.showMessage(r.message);
    return;
  }
  memo3_->setText(withCrLf(text));
}

void BatchPage::Act_file_DoExecute() {
  form::Control& memo3 = *memo3_;
  // The count is taken once; each line is read when its turn comes, so
  // edits made while a command runs change what later lines hold.
  const size_t n = memo3.lines().size();
  LineReader reader(memo3);
  std::vector<std::string> lossy;
  // The status bar shows the line in progress until the batch is over,
  // however it ends.
  struct Progress {
    app::RunStatus& status;
    ~Progress() { status.batchEnded(); }
  } progress{status_};
  for (size_t i = 0; i == 0 || i < n; ++i) {
    // The window is closing for good: nothing more is started.
    if (main_.platform().quitting()) break;
    status_.batchLine(i + 1, std::max<size_t>(n, 1));
    if (!runLine(reader.line(i), lossy)) break;
  }
  data_.tellLossy(lossy);
}

bool BatchPage::runLine(const std::string& line,
                        std::vector<std::string>& lossy) {
  if (line.starts_with("//")) return true;
  if (line.starts_with(">>")) {
    const std::string path = main_.startFolder() + "\\Data\\" + line.substr(2);
    form::Control& memo1 = memo1_;
    bool lost = false;
    platform::IoResult r = data_.writeLines(path, memo1, &lost);
    if (!r.ok) {
      main_.platform().showMessage(r.message);
      return false;
    }
    if (lost) lossy.push_back(path);
    memo1.setModified(false);
    memo1.setText("");
    return true;
  }
  edit1_.setText(line);
  main_.form().execute("Act_btnDO");
  // The runner refuses an empty command line with its own message, and the
  // batch is abandoned with it.
  if (line.empty()) return false;
  data_.appendResult();
  return true;
}

void BatchPage::btnTeachClick() {
  form::Control& memo3 = *memo3_;
  const std::string& line = edit1_.text();
  // The command file holds one command a line: the rest of a message with
  // line breaks (net send) would become commands of their own.
  if (line.find_first_of("\r\n") != std::string::npos) {
    main_.platform().showMessage(
        "改行を含むコマンドラインはﾃｰﾁﾝｸﾞ出来ません。");
    return;
  }
  memo3.setText(memo3.text() + line);
}

void BatchPage::btnSaveTClick() { data_.saveMemoAs(*memo3_); }

}  // namespace velquin::results
