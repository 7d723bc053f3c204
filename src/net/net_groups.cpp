// net group (04) and net localgroup (05), both in the shared option area.

#include <string>

#include "net/families.h"

namespace velquin::net {

namespace {

constexpr const char* kGroup = "グループ名";
constexpr const char* kUser = "ユーザー名";

class GroupCommands : public Family {
 public:
  explicit GroupCommands(NetPage& page) : area_(page.area()) {
    page.bind(4, {.check = [this] { Act_CB_Net_04Execute(); },
                  .build = [this] { Act_btnNet_Set04Execute(); }});
    page.bind(5, {.check = [this] { Act_CB_Net_05Execute(); },
                  .change = [this] { Act_NetCMB_05Execute(); },
                  .build = [this] { Act_btnNet_Set05Execute(); }});
  }

  void Act_CB_Net_04Execute() {
    area_.listOperations({"グループ一覧", "ドメイングループ一覧"});
    area_.Edit_net2.setVisible(false);
    area_.Edit_net1.setVisible(false);
  }

  void Act_btnNet_Set04Execute() {
    if (area_.operation() == 0) area_.writeLine("net group");
    if (area_.operation() == 1) area_.writeLine("net group /domain");
  }

  // No placeholder yet: the list starts on its one operation without
  // fields, and a change of operation writes them.
  void Act_CB_Net_05Execute() {
    area_.listOperations({"グループ一覧", "グループ追加", "グループ削除",
                          "ユーザー追加", "ユーザー削除"});
    for (form::Control* field :
         {&area_.Edit_net1, &area_.Edit_net2, &area_.Edit_net3})
      field->setVisible(false);
  }

  // Every change puts both placeholders back, into a hidden field too.
  void Act_NetCMB_05Execute() {
    form::Control& group = area_.Edit_net2;
    form::Control& user = area_.Edit_net3;
    group.setText(kGroup);
    user.setText(kUser);
    group.setVisible(false);
    user.setVisible(false);
    const int op = area_.operation();
    if (op == 1 || op == 2) group.setVisible(true);
    if (op == 3 || op == 4) {
      group.setVisible(true);
      user.setVisible(true);
    }
  }

  void Act_btnNet_Set05Execute() {
    const std::string& group = area_.Edit_net2.text();
    const std::string& user = area_.Edit_net3.text();
    const bool hasGroup = OptionArea::filled(area_.Edit_net2, kGroup);
    const bool hasBoth = hasGroup && OptionArea::filled(area_.Edit_net3, kUser);
    switch (area_.operation()) {
      case 0:
        area_.writeLine("net localgroup");
        break;
      case 1:
      case 2:
        if (!hasGroup)
          area_.message("グループ名を入力して下さい。");
        else
          area_.writeLine("net localgroup " + group +
                          (area_.operation() == 1 ? " /add" : " /delete"));
        break;
      case 3:
      case 4:
        if (!hasBoth)
          area_.message("グループ名とユーザー名を入力して下さい。");
        else
          area_.writeLine("net localgroup " + group + " " + user +
                          (area_.operation() == 3 ? " /add" : " /delete"));
        break;
      default:
        break;  // nothing chosen: nothing written
    }
  }

 private:
  OptionArea& area_;
};

}  // namespace

std::unique_ptr<Family> makeGroupCommands(NetPage& page) {
  return std::make_unique<GroupCommands>(page);
}

}  // namespace velquin::net
