#include "builders/netstat_page.h"

namespace velquin::builders {

using form::Kind;

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
                   "接続のプロセスID及びアクティブな接続を表示"}});
  // Refinements of the protocol statistics (display 3), to the right of
  // the displays.
  f.add({.name = "RadioGroup3_2", .kind = Kind::RadioGroup,
         .parent = "TS_netstat", .text = "&A 追加オプション",
         .bounds = {296, 30, 284, 56},
         .items = {"IPアドレスやポート番号の情報を表示",
                   "特定のプロトコルに関する統計情報を表示"},
         .visible = false});
  // Protocol names, used by display 4 and by refinement 1: level with the
  // one and right under the other. Blanks separate several names.
  f.add({.name = "Edit5", .kind = Kind::Edit, .parent = "TS_netstat",
         .text = "TCP UDP", .bounds = {304, 93, 160, 20}, .visible = false,
         .hint = "プロトコル名 (TCP UDP など)"});
  f.add({.name = "btnNetstat", .kind = Kind::Button, .parent = "TS_netstat",
         .text = "&S 確　定", .bounds = {496, 252, 84, 23}});

  f["RadioGroup3"].onClick = [this] { RadioGroup3Click(); };
  f["RadioGroup3_2"].onClick = [this] { RadioGroup3_2Click(); };
  f["btnNetstat"].onClick = [this] { Act_btnNetstat_ClickExecute(); };
  f.addAction({"Act_btnNetstat_Click", "netstat", "&S確　定",
               [this] { Act_btnNetstat_ClickExecute(); }});
}

void NetstatPage::RadioGroup3Click() {
  form::Form& f = main_.form();
  const int display = f["RadioGroup3"].itemIndex();
  f["Edit5"].setVisible(false);
  f["RadioGroup3_2"].setItemIndex(-1);
  f["RadioGroup3_2"].setVisible(display == 3);
  f["Edit5"].setVisible(display == 4);
}

void NetstatPage::RadioGroup3_2Click() {
  form::Form& f = main_.form();
  f["Edit5"].setVisible(f["RadioGroup3_2"].itemIndex() == 1);
}

void NetstatPage::Act_btnNetstat_ClickExecute() {
  form::Form& f = main_.form();
  const int display = f["RadioGroup3"].itemIndex();
  const int refinement = f["RadioGroup3_2"].itemIndex();
  const std::string protocols = f["Edit5"].text();
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
  f["Edit1"].setText(line);
}

void NetstatPage::toolChosen() { main_.form().setFocus(main_["RadioGroup3"]); }

}  // namespace velquin::builders
