// net accounts (01), with an option page of its own, and net computer (02)
// in the shared option area.

#include <string>

#include "net/families.h"

namespace velquin::net {

using form::Kind;

namespace {

// The five policy values of net accounts, in the order of the line.
struct Policy {
  const char* box;
  const char* caption;
  const char* field;
  const char* preset;
  const char* unitLabel;  // nullptr: no unit beside the field
  const char* unit;
  const char* option;     // switch written before the value
};

constexpr Policy kPolicies[] = {
    {"CB_Net_ac1", "強制的にログオフまでの時間", "Edit_ac1", "No", "Label21",
     "分", "/forcelogoff:"},
    {"CB_Net_ac2", "パスワードの文字数", "Edit_ac2", "6", nullptr, "",
     "/minpwlen:"},
    {"CB_Net_ac3", "パスワード最大有効日数", "Edit_ac3", "90", "Label23", "日",
     "/maxpwage:"},
    {"CB_Net_ac4", "パスワードを変更出来るまでの日数", "Edit_ac4", "0",
     "Label24", "日", "/minpwage:"},
    {"CB_Net_ac5", "パスワード再使用までの変更回数", "Edit_ac5", "24",
     "Label25", "回", "/uniquepw:"},
};
constexpr int kPolicyCount = 5;

class AccountCommands : public Family {
 public:
  explicit AccountCommands(NetPage& page) : page_(page), area_(page.area()) {
    declareAccountsPage();
    page.bind(1, {.check = [this] { Act_CB_Net_01Execute(); },
                  .change = [] {},  // the operation list is not used
                  .build = [this] { Act_btnNet_Set01Execute(); }});
    page.bind(2, {.check = [this] { Act_CB_Net_02Execute(); },
                  .build = [this] { Act_btnNet_Set02Execute(); }});
  }

  // net accounts: its own page comes forward with the five presets back.
  void Act_CB_Net_01Execute() {
    area_.PageControl4.setActivePage(*page2_);
    for (int i = 0; i < kPolicyCount; ++i)
      fields_[i]->setText(kPolicies[i].preset);
  }

  // Each ticked policy is its switch, the value as typed and a blank; the
  // domain switch closes the line.
  void Act_btnNet_Set01Execute() {
    std::string line = "net accounts ";
    for (int i = 0; i < kPolicyCount; ++i)
      if (boxes_[i]->checked())
        line += kPolicies[i].option + fields_[i]->text() + " ";
    if (where_->itemIndex() == 1) line += "/domain";
    area_.writeLine(line);
  }

  void Act_CB_Net_02Execute() {
    area_.listOperations({"登録", "削除"});
    OptionArea::prompt(area_.Edit_net2, "コンピュータ名");
    area_.Edit_net1.setVisible(false);
  }

  // The computer name goes in as typed, without backslashes.
  void Act_btnNet_Set02Execute() {
    const std::string& computer = area_.Edit_net2.text();
    if (area_.operation() == 0)
      area_.writeLine("net computer " + computer + " /add");
    if (area_.operation() == 1)
      area_.writeLine("net computer " + computer + " /del");
  }

 private:
  void declareAccountsPage() {
    form::Form& f = page_.main().form();
    page2_ = &f.add({.name = "TS_Select2", .kind = Kind::Page,
                     .parent = "PageControl4", .text = "Accounts"});
    where_ = &f.add({.name = "ComboBox2", .kind = Kind::ComboBox,
                     .parent = "TS_Select2", .bounds = {8, 6, 220, 20},
                     .style = {.comboStyle = form::ComboStyle::DropDownList},
                     .items = {"ローカルコンピュータで実行",
                               "ドメインコントローラで実行"},
                     .itemIndex = 0});
    for (int i = 0; i < kPolicyCount; ++i) {
      const Policy& p = kPolicies[i];
      const int top = 36 + i * 28;
      boxes_[i] = &f.add({.name = p.box, .kind = Kind::CheckBox,
                          .parent = "TS_Select2", .text = p.caption,
                          .bounds = {8, top + 2, 216, 17}});
      // Edit_ac1Enter to Edit_ac5Enter: entering a value field empties it,
      // whatever it holds.
      fields_[i] = &f.add({.name = p.field, .kind = Kind::Edit,
                           .parent = "TS_Select2", .text = p.preset,
                           .bounds = {228, top, 44, 20},
                           .onEnter = [this, i] { fields_[i]->setText(""); }});
      if (p.unitLabel)
        f.add({.name = p.unitLabel, .kind = Kind::Label,
               .parent = "TS_Select2", .text = p.unit,
               .bounds = {278, top + 3, 24, 14}});
    }
  }

  NetPage& page_;
  OptionArea& area_;
  form::Control* page2_ = nullptr;
  form::Control* where_ = nullptr;
  form::Control* boxes_[kPolicyCount] = {};
  form::Control* fields_[kPolicyCount] = {};
};

}  // namespace

std::unique_ptr<Family> makeAccountCommands(NetPage& page) {
  return std::make_unique<AccountCommands>(page);
}

}  // namespace velquin::net
