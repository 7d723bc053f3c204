#include "builders/arp_page.h"

namespace velquin::builders {

using form::Kind;

namespace {
constexpr const char* kIpAddress = "IPアドレス";
constexpr const char* kMacAddress = "Macアドレス";
constexpr const char* kInterface = "ｲﾝﾀｰﾌｪｲｽ番号";
}  // namespace

// The controls the handlers use, found once the page is declared: a
// misspelt name stops the program at start-up, not at the user's click.
struct ArpPage::Controls {
  form::Control& Edit_arp1;
  form::Control& Edit_arp2;
  form::Control& Label28;
  form::Control& RadioGroup5;
  form::Control& Edit1;
};

ArpPage::ArpPage(app::TfrmMain& main) : main_(main) {
  form::Form& f = main_.form();
  f.add({.name = "TS_arp", .kind = Kind::Page, .parent = "PageControl2",
         .text = "arp"});

  f.add({.name = "RadioGroup5", .kind = Kind::RadioGroup, .parent = "TS_arp",
         .text = "オプション選択", .bounds = {8, 8, 300, 124},
         .items = {"すべてのエントリを表示", "IPとMacのアドレス対照表",
                   "ｲﾝﾀｰﾌｪｲｽのarpエントリの表示",
                   "ｴﾝﾄﾘを追加、ＩＰｱﾄﾞﾚｽを物理ｱﾄﾞﾚｽの関連付",
                   "ＩＰアドレスで指定したarpエントリを削除"},
         .action = "ActRG_select"});
  f.add({.name = "Edit_arp1", .kind = Kind::Edit, .parent = "TS_arp",
         .text = kIpAddress, .bounds = {324, 24, 160, 20},
         .onEnter = [this] { Act_Edit_clear1Execute(); }});
  f.add({.name = "Edit_arp2", .kind = Kind::Edit, .parent = "TS_arp",
         .text = kMacAddress, .bounds = {324, 54, 160, 20},
         .onEnter = [this] { Act_Edit_clear2Execute(); }});
  f.add({.name = "Label28", .kind = Kind::Label, .parent = "TS_arp",
         .text = "aa-bb-cc-dd-ee-ff", .bounds = {326, 78, 120, 14},
         .visible = false});
  f.add({.name = "Button5", .kind = Kind::Button, .parent = "TS_arp",
         .text = "&S 確　定", .bounds = {324, 109, 84, 23},
         .action = "Act_btn_arpSet"});

  f.addAction({"ActRG_select", "arp", "", [this] { ActRG_selectExecute(); }});
  f.addAction({"Act_Edit_clear1", "arp", "",
               [this] { Act_Edit_clear1Execute(); }});
  f.addAction({"Act_Edit_clear2", "arp", "",
               [this] { Act_Edit_clear2Execute(); }});
  f.addAction({"Act_btn_arpSet", "arp", "&S 確　定",
               [this] { Act_btn_arpSetExecute(); }});
  c_.reset(new Controls{main_["Edit_arp1"], main_["Edit_arp2"],
      main_["Label28"], main_["RadioGroup5"], main_["Edit1"]});
}

void ArpPage::ActRG_selectExecute() {
  form::Control& arp1 = c_->Edit_arp1;
  form::Control& arp2 = c_->Edit_arp2;
  form::Control& format = c_->Label28;
  arp1.setVisible(false);
  arp2.setVisible(false);
  format.setVisible(false);
  // Item 0 (all entries) needs no field and leaves all three hidden.
  const int op = c_->RadioGroup5.itemIndex();
  if (op == 1 || op == 4) {
    arp1.setText(kIpAddress);
    arp1.setVisible(true);
  }
  if (op == 2) {
    arp1.setText(kInterface);
    arp1.setVisible(true);
  }
  if (op == 3) {
    arp1.setText(kIpAddress);
    arp2.setText(kMacAddress);
    format.setVisible(true);
    arp1.setVisible(true);
    arp2.setVisible(true);
  }
}

void ArpPage::Act_Edit_clear1Execute() { c_->Edit_arp1.setText(""); }

void ArpPage::Act_Edit_clear2Execute() { c_->Edit_arp2.setText(""); }

void ArpPage::Act_btn_arpSetExecute() {
  form::Control& edit1 = c_->Edit1;
  // The fields go in as they stand: a placeholder the user never replaced
  // is part of the line.
  const std::string arp1 = c_->Edit_arp1.text();
  const std::string arp2 = c_->Edit_arp2.text();
  const int op = c_->RadioGroup5.itemIndex();
  if (op == 0) edit1.setText("arp -a");
  if (op == 1) edit1.setText("arp -a " + arp1);
  if (op == 2) edit1.setText("arp -n " + arp1);
  if (op == 3) edit1.setText("arp -s " + arp1 + " " + arp2);
  if (op == 4) edit1.setText("arp -d " + arp1);
}

ArpPage::~ArpPage() = default;

}  // namespace velquin::builders
