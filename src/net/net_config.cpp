// net config (16), net name (17), net send (18) and net statistics (19).

#include <string>

#include "net/families.h"

namespace velquin::net {

namespace {

constexpr const char* kAlias = "エイリアス名";
constexpr const char* kRecipient = "送信先";

class ConfigCommands : public Family {
 public:
  explicit ConfigCommands(NetPage& page) : area_(page.area()) {
    page.bind(16, {.check = [this] { Act_CB_Net_16Execute(); },
                   .change = [this] { Act_NetCMB_16Execute(); },
                   .build = [this] { Act_btnNet_Set16Execute(); }});
    page.bind(17, {.check = [this] { Act_CB_Net_17Execute(); },
                   .build = [this] { Act_btnNet_Set17Execute(); }});
    page.bind(18, {.check = [this] { Act_CB_Net_18Execute(); },
                   .build = [this] { Act_btnNet_Set18Execute(); }});
    page.bind(19, {.check = [this] { Act_CB_Net_19Execute(); },
                   .build = [this] { Act_btnNet_Set19Execute(); }});
  }

  // Operation 0 needs no field; the minutes field starts empty, hidden.
  void Act_CB_Net_16Execute() {
    area_.listOperations({"ｻｰﾊﾞｰｻｰﾋﾞｽの情報表示", "ﾜｰｸｽﾃｰｼｮﾝの情報表示",
                          "ｱｸｾｽが無い時の切断時間",
                          "ﾌﾞﾗｳｻﾞでｻｰﾊﾞｰ表示不可設定"});
    area_.Edit_net1.setText("");
  }

  // Only the idle time takes a value; the minutes typed stay across
  // changes of operation.
  void Act_NetCMB_16Execute() {
    area_.Edit_net1.setVisible(false);
    area_.LBL_Net1.setText("");
    if (area_.operation() == 2) {
      area_.Edit_net1.setVisible(true);
      area_.LBL_Net1.setText("分(切断無 -1)");
    }
  }

  void Act_btnNet_Set16Execute() {
    const int op = area_.operation();
    if (op == 0) area_.writeLine("net config server");
    if (op == 1) area_.writeLine("net config workstation");
    if (op == 2)
      area_.writeLine("net config server /autodisconnect: " +
                      area_.Edit_net1.text());
    if (op == 3) area_.writeLine("net config server /hidden: yes");
  }

  void Act_CB_Net_17Execute() {
    area_.listOperations({"エイリアス名の追加", "エイリアス名の削除"});
    OptionArea::prompt(area_.Edit_net2, kAlias);
  }

  void Act_btnNet_Set17Execute() {
    const int op = area_.operation();
    if (op != 0 && op != 1) return;
    if (!OptionArea::filled(area_.Edit_net2, kAlias)) {
      area_.message("エイリアス名を入力して下さい。");
      return;
    }
    area_.writeLine("net name " + area_.Edit_net2.text() +
                    (op == 0 ? " /add" : " /del"));
  }

  // The message of the last send is still in Memo4.
  void Act_CB_Net_18Execute() {
    area_.listOperations({"メッセージの送信"});
    OptionArea::prompt(area_.Edit_net2, kRecipient);
    area_.Memo4.setVisible(true);
  }

  // The message goes in whole, line breaks and all.
  void Act_btnNet_Set18Execute() {
    if (area_.operation() != 0) return;
    if (!OptionArea::filled(area_.Edit_net2, kRecipient)) {
      area_.message("送信先を入力して下さい。");
      return;
    }
    area_.writeLine("net send " + area_.Edit_net2.text() + " " +
                    area_.Memo4.text());
  }

  void Act_CB_Net_19Execute() {
    area_.listOperations({"Serverｻｰﾋﾞｽの統計表示", "WorkStationの統計表示"});
  }

  void Act_btnNet_Set19Execute() {
    if (area_.operation() == 0) area_.writeLine("net statistics server");
    if (area_.operation() == 1) area_.writeLine("net statistics workstation");
  }

 private:
  OptionArea& area_;
};

}  // namespace

std::unique_ptr<Family> makeConfigCommands(NetPage& page) {
  return std::make_unique<ConfigCommands>(page);
}

}  // namespace velquin::net
