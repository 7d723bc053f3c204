// net time (20), net help (21) and net helpmsg (22). None of them requires
// a field: what the fields hold, placeholders included, goes into the line
// for the user to correct in the command line field.

#include <string>

#include "net/families.h"

namespace velquin::net {

namespace {

constexpr const char* kComputer = "コンピュータ名";
constexpr const char* kDomain = "ドメイン名";

class TimeCommands : public Family {
 public:
  explicit TimeCommands(NetPage& page) : area_(page.area()) {
    page.bind(20, {.check = [this] { Act_CB_Net_20Execute(); },
                   .change = [this] { Act_NetCMB_20Execute(); },
                   .build = [this] { Act_btnNet_Set20Execute(); }});
    page.bind(21, {.check = [this] { Act_CB_Net_21Execute(); },
                   .build = [this] { Act_btnNet_Set21Execute(); }});
    page.bind(22, {.check = [this] { Act_CB_Net_22Execute(); },
                   .build = [this] { Act_btnNet_Set22Execute(); }});
  }

  void Act_CB_Net_20Execute() {
    area_.listOperations({"ドメイン内のｺﾝﾄﾛｰﾗと同期", "ﾄﾞﾒｲﾝ中のﾀｲﾑｻｰﾊﾞと同期",
                          "ntpサーバの表示", "ntpサーバの設定"});
    OptionArea::prompt(area_.Edit_net2, kComputer);
    OptionArea::prompt(area_.Edit_net3, kDomain);
    area_.Edit_net1.setText("");
  }

  // The computer name is asked for afresh at every change; the second
  // field only where the operation uses it (the domain, or the NTP server
  // of operation 3).
  void Act_NetCMB_20Execute() {
    const int op = area_.operation();
    area_.Edit_net2.setText(kComputer);
    area_.Edit_net2.setVisible(false);
    area_.Edit_net3.setVisible(false);
    if (op == 0 || op == 1 || op == 3) {
      area_.Edit_net3.setText(kDomain);
      area_.Edit_net2.setVisible(true);
      area_.Edit_net3.setVisible(true);
    }
    if (op == 2) area_.Edit_net2.setVisible(true);
  }

  void Act_btnNet_Set20Execute() {
    const int op = area_.operation();
    const std::string at = "net time \\\\" + area_.Edit_net2.text();
    const std::string& second = area_.Edit_net3.text();
    if (op == 0) area_.writeLine(at + " /domain:" + second);
    if (op == 1) area_.writeLine(at + " /rtsdomain:" + second + " /set");
    if (op == 2) area_.writeLine(at + " /querysntp");
    if (op == 3) area_.writeLine(at + " /setsntp:\"" + second + "\"");
  }

  // The typed sub-command stays when the other operation is chosen.
  void Act_CB_Net_21Execute() {
    area_.listOperations({"サブコマンドの使用法", "オプション指定のヘルプ"});
    OptionArea::prompt(area_.Edit_net2, "サブコマンド");
  }

  void Act_btnNet_Set21Execute() {
    const std::string& sub = area_.Edit_net2.text();
    if (area_.operation() == 0) area_.writeLine("net help " + sub);
    if (area_.operation() == 1) area_.writeLine("net " + sub + " /?");
  }

  void Act_CB_Net_22Execute() {
    area_.listOperations({"メッセージのヘルプ"});
    OptionArea::prompt(area_.Edit_net2, "メッセージ番号");
  }

  void Act_btnNet_Set22Execute() {
    if (area_.operation() == 0)
      area_.writeLine("net helpmsg " + area_.Edit_net2.text());
  }

 private:
  OptionArea& area_;
};

}  // namespace

std::unique_ptr<Family> makeTimeCommands(NetPage& page) {
  return std::make_unique<TimeCommands>(page);
}

}  // namespace velquin::net
