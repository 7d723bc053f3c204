#include "builders/nbtstat_page.h"

namespace velquin::builders {

using form::Kind;

// The controls the handlers use, found once the page is declared: a
// misspelt name stops the program at start-up, not at the user's click.
struct NbtstatPage::Controls {
  form::Control& Edit4;
  form::Control& RadioGroup4_1;
  form::Control& RadioGroup4_2;
  form::Control& Edit1;
};

NbtstatPage::NbtstatPage(app::TfrmMain& main) : main_(main) {
  form::Form& f = main_.form();
  f.add({.name = "TS_nbtstat", .kind = Kind::Page, .parent = "PageControl2",
         .text = "nbtstat"});

  f.add({.name = "RadioGroup4_1", .kind = Kind::RadioGroup,
         .parent = "TS_nbtstat", .text = "&A アドレス指定",
         .bounds = {8, 4, 240, 42}, .style = {.columns = 2},
         .items = {"コンピュータ名", "ＩＰアドレス"}, .itemIndex = 1});
  // The remote machine, on the row of the two address forms.
  f.add({.name = "Edit4", .kind = Kind::Edit, .parent = "TS_nbtstat",
         .bounds = {256, 19, 200, 20},
         .hint = "コンピュータ名またはIPアドレス"});
  f.add({.name = "RadioGroup4_2", .kind = Kind::RadioGroup,
         .parent = "TS_nbtstat", .text = "&O オプション選択",
         .bounds = {8, 54, 380, 150},
         .items = {"指定したマシンの名前等の情報を表示する。",
                   "実行したマシンのリモートキャッシュテーブルを表示する。",
                   "WINSサーバとブロードキャストによる統計情報を表示する。",
                   "リモートキャッシュ名前テーブルを更新する。",
                   "ＮＢＴのセッションをＩＰアドレスで表示する。",
                   "ＮＢＴのセッションをコンピュータ名表示する。",
                   "ＷＩＮＳサーバに登録された情報をいったん更新する。"},
         .action = "Act_RB42_Enter"});
  f.add({.name = "btnNB_Set", .kind = Kind::Button, .parent = "TS_nbtstat",
         .text = "&S 確　定", .bounds = {496, 252, 84, 23},
         .action = "Act_btnNB_Set"});

  f.addAction({"Act_RB42_Enter", "nbtstat", "",
               [this] { Act_RB42_EnterExecute(); }});
  f.addAction({"Act_btnNB_Set", "nbtstat", "&S 確　定",
               [this] { Act_btnNB_SetExecute(); }});
  c_.reset(new Controls{main_["Edit4"], main_["RadioGroup4_1"],
      main_["RadioGroup4_2"], main_["Edit1"]});
}

void NbtstatPage::Act_RB42_EnterExecute() {
  main_.form()["Edit1"].setText("");
}

void NbtstatPage::Act_btnNB_SetExecute() {
  const std::string machine = c_->Edit4.text();
  const int form = c_->RadioGroup4_1.itemIndex();
  const int option = c_->RadioGroup4_2.itemIndex();
  std::string line;
  if (!machine.empty()) {
    if (form == 0) line = "nbtstat -a " + machine;
    if (form == 1) line = "nbtstat -A " + machine;
  } else {
    line = "nbtstat ";
  }
  // The switches are case-sensitive: -r and -R, -s and -S differ.
  if (option == 0) line += " -c";
  if (option == 1) line += " -n";
  if (option == 2) line += " -r";
  if (option == 3) line += " -R";
  if (option == 4) line += " -s";
  if (option == 5) line += " -S";
  if (option == 6) line += " -RR";
  c_->Edit1.setText(line);
}

void NbtstatPage::toolChosen() { main_.form().setFocus(c_->Edit4); }

NbtstatPage::~NbtstatPage() = default;

}  // namespace velquin::builders
