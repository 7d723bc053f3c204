#include "builders/pathping_page.h"

#include <string>

namespace velquin::builders {

using form::Kind;

namespace {
// Option rows: a check box, and for seven of them a value field beside it.
constexpr int kRowHeight = 22;
constexpr int kFirstRow = 40;
constexpr int kValueLeft = 272;
// Rows 8 to 10 sit below the note of the systems that know them.
constexpr int kNoteGap = 14;

constexpr int rowTop(int row) {
  return kFirstRow + (row - 1) * kRowHeight + (row >= 8 ? kNoteGap : 0);
}
}  // namespace

// The controls the handlers use, found once the page is declared: a
// misspelt name stops the program at start-up, not at the user's click.
struct PathpingPage::Controls {
  form::Control& Edit_pping0;
  form::Control& CB_pping1;
  form::Control& CB_pping2;
  form::Control& Edit_pping1;
  form::Control& CB_pping3;
  form::Control& Edit_pping2;
  form::Control& CB_pping4;
  form::Control& Edit_pping3;
  form::Control& CB_pping5;
  form::Control& Edit_pping4;
  form::Control& CB_pping6;
  form::Control& Edit_pping5;
  form::Control& CB_pping7;
  form::Control& Edit_pping6;
  form::Control& CB_pping8;
  form::Control& Edit_pping7;
  form::Control& CB_pping9;
  form::Control& CB_pping10;
  form::Control& Edit1;
};

PathpingPage::PathpingPage(app::TfrmMain& main) : main_(main) {
  form::Form& f = main_.form();
  f.add({.name = "TS_pathping", .kind = Kind::Page, .parent = "PageControl2",
         .text = "pathping"});

  f.add({.name = "Label32", .kind = Kind::Label, .parent = "TS_pathping",
         .text = "相手先ホスト名またはIPアドレス", .bounds = {8, 13, 180, 14}});
  f.add({.name = "Edit_pping0", .kind = Kind::Edit, .parent = "TS_pathping",
         .bounds = {196, 10, 220, 20}});

  auto option = [&f](const char* name, int row, const char* caption) {
    f.add({.name = name, .kind = Kind::CheckBox, .parent = "TS_pathping",
           .text = caption, .bounds = {8, rowTop(row), 256, 17}});
  };
  auto value = [&f](const char* name, int row, const char* preset,
                    int width) {
    f.add({.name = name, .kind = Kind::Edit, .parent = "TS_pathping",
           .text = preset, .bounds = {kValueLeft, rowTop(row) - 2, width, 20}});
  };
  auto millis = [&f](const char* name, int row) {
    f.add({.name = name, .kind = Kind::Label, .parent = "TS_pathping",
           .text = "ミリ秒",
           .bounds = {kValueLeft + 66, rowTop(row) + 1, 40, 14}});
  };
  // Declared row by row so that Tab goes from each box to its value.
  option("CB_pping1", 1, "名前解決を実行せず、IPアドレス表示");
  option("CB_pping2", 2, "ネットワークを通過するホップ数の最大値");
  value("Edit_pping1", 2, "30", 60);
  option("CB_pping3", 3, "経路が複数ある時，ｹﾞｰﾄｳｪｲを指定する");
  value("Edit_pping2", 3, "", 200);
  option("CB_pping4", 4, "pingを実行する間隔を指定する");
  value("Edit_pping3", 4, "250", 60);
  millis("Label33", 4);
  option("CB_pping5", 5, "混雑をチェックするクエリーの回数を指定");
  value("Edit_pping4", 5, "100", 60);
  option("CB_pping6", 6, "エコー要求に対する待ち時間を指定");
  value("Edit_pping5", 6, "3000", 60);
  millis("Label34", 6);
  option("CB_pping7", 7, "クエリーの送信元アドレスを指定する");
  value("Edit_pping6", 7, "", 140);
  // A note on the options below: the systems that know them.
  const int noteTop = rowTop(7) + 19;
  const form::Font small{.height = 10};
  f.add({.name = "Label35", .kind = Kind::Label, .parent = "TS_pathping",
         .text = "Windows XP/", .bounds = {24, noteTop, 60, 12},
         .font = small});
  f.add({.name = "Label36", .kind = Kind::Label, .parent = "TS_pathping",
         .text = "Windows Server 2003", .bounds = {88, noteTop, 100, 12},
         .font = small});
  option("CB_pping8", 8, "IPv4またはIPv6のどちらを使うかを指定");
  value("Edit_pping7", 8, "4", 30);
  option("CB_pping9", 9, "RSVPにﾈｯﾄﾜｰｸが対応しているかテスト");
  option("CB_pping10", 10, "MACﾌﾚｰﾑ内のVLANでの優先度を指定");

  f.add({.name = "btnPPing", .kind = Kind::Button, .parent = "TS_pathping",
         .text = "&S 確　定", .bounds = {496, rowTop(10) - 3, 84, 23},
         .onClick = [this] { btnPPingClick(); }});
  c_.reset(new Controls{main_["Edit_pping0"], main_["CB_pping1"],
      main_["CB_pping2"], main_["Edit_pping1"], main_["CB_pping3"],
      main_["Edit_pping2"], main_["CB_pping4"], main_["Edit_pping3"],
      main_["CB_pping5"], main_["Edit_pping4"], main_["CB_pping6"],
      main_["Edit_pping5"], main_["CB_pping7"], main_["Edit_pping6"],
      main_["CB_pping8"], main_["Edit_pping7"], main_["CB_pping9"],
      main_["CB_pping10"], main_["Edit1"]});
}

void PathpingPage::btnPPingClick() {
  if (c_->Edit_pping0.text().empty()) {
    main_.platform().showMessage("相手先のアドレス等を入力して下さい。");
    return;
  }
  // Every piece begins with its blank; values go in as typed.
  std::string options;
  if (c_->CB_pping1.checked()) options += " -n";
  if (c_->CB_pping2.checked()) options += " -h " + c_->Edit_pping1.text();
  if (c_->CB_pping3.checked()) options += " -g " + c_->Edit_pping2.text();
  if (c_->CB_pping4.checked()) options += " -p " + c_->Edit_pping3.text();
  if (c_->CB_pping5.checked()) options += " -q " + c_->Edit_pping4.text();
  if (c_->CB_pping6.checked()) options += " -w " + c_->Edit_pping5.text();
  if (c_->CB_pping7.checked()) options += " -i " + c_->Edit_pping6.text();
  // The IP version: the digit straight after the hyphen, as in " -4".
  if (c_->CB_pping8.checked()) options += " -" + c_->Edit_pping7.text();
  if (c_->CB_pping9.checked()) options += " -R";
  if (c_->CB_pping10.checked()) options += " -T";
  c_->Edit1.setText("pathping" + options + " " + c_->Edit_pping0.text());
}

PathpingPage::~PathpingPage() = default;

}  // namespace velquin::builders
