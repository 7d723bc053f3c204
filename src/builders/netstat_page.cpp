#include "builders/netstat_page.h"

namespace velquin::builders {

using form::Kind;

// The controls the handlers use, found once the page is declared: a
// misspelt name stops the program at start-up, not at the user's click.
struct NetstatPage::Controls {
  form::Control& RadioGroup3;
  form::Control& Edit5;
  form::Control& RadioGroup3_2;
  form::Control& Edit1;
};

NetstatPage::NetstatPage(app::TfrmMain& main) : main_(main) {
  form::Form& f = main_.form();
  f.add({.name = "TS_netstat", .kind = Kind::Page, .parent = "PageControl2",
         .text = "netstat"});

  f.add({.name = "RadioGroup3", .kind = Kind::RadioGroup,
         .parent = "TS_netstat", .text = "&O オプション選択",
         .bounds = {8, 4, 280, 150},
         .items = {"IPアドレスやポート番号の情報を表示",
                   "コネクション状況がListeningも含めて全て表示",
                   "Ethernet統計情報を表示",
                   "TCP、UDP、IP、ICMPにおける統計情報を表示",
                   "特定のプロトコルに関する統計情報を表示",
                   "コンピュータのルーティング情報を表示",
                   "接続のプロセスID及びアクティブな接続を表示"},
         .onClick = [this] { RadioGroup3Click(); }});
  // Refinements of the protocol statistics (display 3), to the right of
  // the displays.
  f.add({.name = "RadioGroup3_2", .kind = Kind::RadioGroup,
         .parent = "TS_netstat", .text = "&A 追加オプション",
         .bounds = {296, 30, 284, 56},
         .items = {"IPアドレスやポート番号の情報を表示",
                   "特定のプロトコルに関する統計情報を表示"},
         .visible = false,
         .onClick = [this] { RadioGroup3_2Click(); }});
  // Protocol names, used by display 4 and by refinement 1: level with the
  // one and right under the other. Blanks separate several names.
  f.add({.name = "Edit5", .kind = Kind::Edit, .parent = "TS_netstat",
         .text = "TCP UDP", .bounds = {304, 93, 160, 20}, .visible = false,
         .hint = "プロトコル名 (TCP UDP など)"});
  f.add({.name = "btnNetstat", .kind = Kind::Button, .parent = "TS_netstat",
         .text = "&S 確　定", .bounds = {496, 252, 84, 23},
         .onClick = [this] { Act_btnNetstat_ClickExecute(); }});

  f.addAction({"Act_btnNetstat_Click", "netstat", "&S確　定",
               [this] { Act_btnNetstat_ClickExecute(); }});
  c_.reset(new Controls{main_["RadioGroup3"], main_["Edit5"],
      main_["RadioGroup3_2"], main_["Edit1"]});
}

void NetstatPage::RadioGroup3Click() {
  const int display = c_->RadioGroup3.itemIndex();
  c_->Edit5.setVisible(false);
  c_->RadioGroup3_2.setItemIndex(-1);
  c_->RadioGroup3_2.setVisible(display == 3);
  c_->Edit5.setVisible(display == 4);
}

void NetstatPage::RadioGroup3_2Click() {
  c_->Edit5.setVisible(c_->RadioGroup3_2.itemIndex() == 1);
}

void NetstatPage::Act_btnNetstat_ClickExecute() {
  const int display = c_->RadioGroup3.itemIndex();
  const int refinement = c_->RadioGroup3_2.itemIndex();
  const std::string protocols = c_->Edit5.text();
  std::string line;
  if (display == 0) line = "netstat -n";
  if (display == 1) line = "netstat -a";
  if (display == 2) line = "netstat -e";
  if (display == 3) {
    line = "netstat -s";
    if (refinement == 0) line = "netstat -s -a";
    if (refinement == 1) line = "netstat -s -p " + protocols;
  }
  if (display == 4) line = "netstat -p " + protocols;
  if (display == 5) line = "netstat -r";
  if (display == 6) line = "netstat -o";
  if (display == -1) line = "netstat";
  c_->Edit1.setText(line);
}

void NetstatPage::toolChosen() { main_.form().setFocus(c_->RadioGroup3); }

NetstatPage::~NetstatPage() = default;

}  // namespace velquin::builders
