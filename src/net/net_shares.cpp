// net share (10) and net use (11): a name in Edit_net2, a path in
// Edit_net3; net share also takes the options of Panel10, which keep what
// the user set for the whole run.

#include <string>

#include "net/families.h"

namespace velquin::net {

namespace {

constexpr const char* kShareName = "共有名";
constexpr const char* kSharePath = "ドライブ+パス(C:\\Temp)";
constexpr const char* kDevice = "デバイス名";
constexpr const char* kRemote = "ＰＣ名+共有名(\\\\PC1\\Temp)";

class ShareCommands : public Family {
 public:
  explicit ShareCommands(NetPage& page) : area_(page.area()) {
    page.bind(10, {.check = [this] { Act_CB_Net_10Execute(); },
                   .change = [this] { Act_NetCMB_10Execute(); },
                   .build = [this] { Act_btnNet_Set10Execute(); }});
    page.bind(11, {.check = [this] { Act_CB_Net_11Execute(); },
                   .change = [this] { Act_NetCMB_11Execute(); },
                   .build = [this] { Act_btnNet_Set11Execute(); }});
  }

  // Operation 0 lists and needs no field; the placeholders come with a
  // change of operation.
  void Act_CB_Net_10Execute() {
    area_.listOperations(
        {"公開リソース一覧", "リソースの共有設定", "リソースの共有廃止"});
    area_.Panel10.setVisible(false);
    hideFields();
  }

  void Act_NetCMB_10Execute() {
    showFields(kShareName, kSharePath);
    area_.Panel10.setVisible(area_.operation() == 1);
  }

  void Act_btnNet_Set10Execute() {
    const std::string& name = area_.Edit_net2.text();
    const bool hasName = OptionArea::filled(area_.Edit_net2, kShareName);
    if (area_.operation() == 0) area_.writeLine("net share");
    if (area_.operation() == 1) {
      if (!hasName || !OptionArea::filled(area_.Edit_net3, kSharePath)) {
        area_.message("共有名とドライブ+パスを入力して下さい。");
        return;
      }
      std::string line = "net share " + name + "=" + area_.Edit_net3.text();
      // "-1" exactly means no limit; any other text is the number as typed.
      const std::string& users = area_.Edit7.text();
      if (area_.CheckBox1.checked()) {
        if (users == "-1")
          line += " /unlimited";
        else if (!users.empty())
          line += " /users:" + users;
      }
      // The remark is quoted even when empty.
      if (area_.CheckBox2.checked())
        line += " /remark:\"" + area_.Edit8.text() + "\"";
      area_.writeLine(line);
    }
    if (area_.operation() == 2) {
      if (!hasName)
        area_.message("共有名を入力して下さい。");
      else
        area_.writeLine("net share " + name + " /delete");
    }
  }

  void Act_CB_Net_11Execute() {
    area_.listOperations({"接続共有リソース一覧", "共有リソースのドライブ割当",
                          "共有ドライブの解除"});
    hideFields();
  }

  void Act_NetCMB_11Execute() { showFields(kDevice, kRemote); }

  // The device is a drive letter typed without its colon; the colon is
  // always added.
  void Act_btnNet_Set11Execute() {
    const std::string& device = area_.Edit_net2.text();
    const bool hasDevice = OptionArea::filled(area_.Edit_net2, kDevice);
    if (area_.operation() == 0) area_.writeLine("net use");
    if (area_.operation() == 1) {
      if (!hasDevice || !OptionArea::filled(area_.Edit_net3, kRemote))
        area_.message("デバイス名とＰＣ名+共有名を入力して下さい。");
      else
        area_.writeLine("net use " + device + ": " + area_.Edit_net3.text());
    }
    if (area_.operation() == 2) {
      if (!hasDevice)
        area_.message("デバイス名を入力して下さい。");
      else
        area_.writeLine("net use " + device + ": /d");
    }
  }

 private:
  void hideFields() {
    for (form::Control* field :
         {&area_.Edit_net1, &area_.Edit_net2, &area_.Edit_net3})
      field->setVisible(false);
  }

  // Both placeholders written back whatever the operation, discarding what
  // was typed; operation 1 shows both fields, operation 2 the name alone.
  void showFields(const char* name, const char* path) {
    area_.Edit_net2.setText(name);
    area_.Edit_net3.setText(path);
    area_.Edit_net2.setVisible(false);
    area_.Edit_net3.setVisible(false);
    const int op = area_.operation();
    if (op == 1) {
      area_.Edit_net2.setVisible(true);
      area_.Edit_net3.setVisible(true);
    }
    if (op == 2) area_.Edit_net2.setVisible(true);
  }

  OptionArea& area_;
};

}  // namespace

std::unique_ptr<Family> makeShareCommands(NetPage& page) {
  return std::make_unique<ShareCommands>(page);
}

}  // namespace velquin::net
