#include "builders/ipconfig_page.h"

namespace velquin::builders {

using form::Kind;

// The controls the handlers use, found once the page is declared: a
// misspelt name stops the program at start-up, not at the user's click.
struct IpconfigPage::Controls {
  form::Control& Edit2;
  form::Control& Label2;
  form::Control& btnIP_C;
  form::Control& Edit1;
  form::Control& RadioGroup2;
  form::Control& Edit2_1;
};

IpconfigPage::IpconfigPage(app::TfrmMain& main) : main_(main) {
  form::Form& f = main_.form();
  f.add({.name = "TS_ipconfig", .kind = Kind::Page, .parent = "PageControl2",
         .text = "ipconfig",
         .onResize = [this] { TS_ipconfigResize(); }});

  // The operations, one per row; the item texts use full-width letters.
  f.add({.name = "RadioGroup2", .kind = Kind::RadioGroup,
         .parent = "TS_ipconfig", .text = "&O オプション選択",
         .bounds = {8, 8, 300, 186},
         .items = {"全てのＩＰ設定を表示する。",
                   "ＤＨＣＰクライアントの設定を解放する。",
                   "ＤＨＣＰクライアントのＩＰ設定を更新する。",
                   "ホストのＤＮＳキャッシュをクリアする。",
                   "ＤＨＣＰ情報を更新し、サーバに再登録する。",
                   "ＤＮＳキャッシュを表示する。",
                   "ＤＨＣＰクラスＩＤを表示する。",
                   "ＤＨＣＰクラスＩＤを変更する。"},
         .action = "Act_RB2_Click"});
  f.addAction({"Act_RB2_Click", "ipconfig", "",
               [this] { Act_RB2_ClickExecute(); }});

  // Adapter name for release and renew, to the right of the operations.
  f.add({.name = "Label2", .kind = Kind::Label, .parent = "TS_ipconfig",
         .text = "&A アダプタ名", .bounds = {324, 24, 80, 14},
         .style = {.focusControl = "Edit2"}});
  f.add({.name = "Edit2", .kind = Kind::Edit, .parent = "TS_ipconfig",
         .bounds = {324, 40, 240, 20}});

  // Prefix of the chosen release or renew command, trailing blank included.
  f.add({.name = "Edit2_1", .kind = Kind::Edit, .parent = "TS_ipconfig",
         .bounds = {324, 100, 240, 20}, .visible = false});

  f.add({.name = "btnIP_C", .kind = Kind::Button, .parent = "TS_ipconfig",
         .text = "&S 確　定", .bounds = {480, 68, 84, 23},
         .action = "Act_btnIPC_Click"});
  f.addAction({"Act_btnIPC_Click", "ipconfig", "&S 確　定",
               [this] { Act_btnIPC_ClickExecute(); }});
  c_.reset(new Controls{main_["Edit2"], main_["Label2"], main_["btnIP_C"],
      main_["Edit1"], main_["RadioGroup2"], main_["Edit2_1"]});
}

void IpconfigPage::showAdapterControls(bool on) {
  c_->Edit2.setVisible(on);
  c_->Label2.setVisible(on);
  c_->btnIP_C.setVisible(on);
}

void IpconfigPage::TS_ipconfigResize() {
  showAdapterControls(true);
  c_->Edit1.setText("");
  c_->Edit2.setText("");
}

void IpconfigPage::Act_RB2_ClickExecute() {
  showAdapterControls(false);
  c_->Edit1.setText("");
  c_->Edit2.setText("");

  // Independent tests: -1 (nothing chosen) matches none of them.
  const int item = c_->RadioGroup2.itemIndex();
  if (item == 0) c_->Edit1.setText("ipconfig /all");
  if (item == 1) {
    showAdapterControls(true);
    c_->Edit2_1.setText("ipconfig /release ");
  }
  if (item == 2) {
    showAdapterControls(true);
    c_->Edit2_1.setText("ipconfig /renew ");
  }
  if (item == 3) c_->Edit1.setText("ipconfig /flushdns");
  if (item == 4) c_->Edit1.setText("ipconfig /registerdns");
  if (item == 5) c_->Edit1.setText("ipconfig /displaydns");
  if (item == 6) c_->Edit1.setText("ipconfig /showclassid");
  if (item == 7) c_->Edit1.setText("ipconfig /setclassid");
}

void IpconfigPage::Act_btnIPC_ClickExecute() {
  // The prefix ends in the blank that separates it from the adapter name.
  // Any other item leaves the command line as it is.
  const int item = c_->RadioGroup2.itemIndex();
  if (item == 1 || item == 2)
    c_->Edit1.setText(c_->Edit2_1.text() + c_->Edit2.text());
}

void IpconfigPage::toolChosen() { main_.form().setFocus(c_->RadioGroup2); }

IpconfigPage::~IpconfigPage() = default;

}  // namespace velquin::builders
