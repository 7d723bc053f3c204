// net start (06), net stop (07), net pause (08) and net continue (09): a
// service named in Edit_net2.

#include <string>

#include "net/families.h"

namespace velquin::net {

namespace {

constexpr const char* kService = "サービス名";

class ServiceCommands : public Family {
 public:
  explicit ServiceCommands(NetPage& page) : area_(page.area()) {
    page.bind(6, {.check = [this] { Act_CB_Net_06Execute(); },
                  .change = [this] { Act_NetCMB_06Execute(); },
                  .build = [this] { Act_btnNet_Set06Execute(); }});
    page.bind(7, {.check = [this] { Act_CB_Net_07Execute(); },
                  .build = [this] { Act_btnNet_Set07Execute(); }});
    page.bind(8, {.check = [this] { Act_CB_Net_08Execute(); },
                  .build = [this] { Act_btnNet_Set08Execute(); }});
    page.bind(9, {.check = [this] { Act_CB_Net_09Execute(); },
                  .build = [this] { Act_btnNet_Set09Execute(); }});
  }

  // The list of started services needs no name; the name field keeps the
  // empty text of the page reset.
  void Act_CB_Net_06Execute() {
    area_.listOperations({"起動サービス一覧", "サービスを起動"});
    for (form::Control* field :
         {&area_.Edit_net1, &area_.Edit_net2, &area_.Edit_net3})
      field->setVisible(false);
  }
  void Act_CB_Net_07Execute() { listNamed("サービスの停止"); }
  void Act_CB_Net_08Execute() { listNamed("サービスの一時停止"); }
  void Act_CB_Net_09Execute() { listNamed("サービスの再開"); }

  void Act_NetCMB_06Execute() {
    area_.Edit_net2.setText(kService);
    area_.Edit_net2.setVisible(false);
    area_.Edit_net3.setVisible(false);
    if (area_.operation() == 1) area_.Edit_net2.setVisible(true);
  }

  void Act_btnNet_Set06Execute() {
    if (area_.operation() == 0) area_.writeLine("net start");
    if (area_.operation() == 1) writeNamed("net start ");
  }
  void Act_btnNet_Set07Execute() {
    if (area_.operation() == 0) writeNamed("net stop ");
  }
  void Act_btnNet_Set08Execute() {
    if (area_.operation() == 0) writeNamed("net pause ");
  }
  void Act_btnNet_Set09Execute() {
    if (area_.operation() == 0) writeNamed("net continue ");
  }

 private:
  // The one operation of stop, pause and continue, with the name field.
  void listNamed(const char* operation) {
    area_.listOperations({operation});
    area_.Edit_net1.setVisible(false);
    area_.Edit_net2.setVisible(true);
    area_.Edit_net3.setVisible(false);
    area_.Edit_net2.setText(kService);
  }

  // The service name goes in as typed: a name with blanks stays several
  // words.
  void writeNamed(const char* prefix) {
    if (!OptionArea::filled(area_.Edit_net2, kService))
      area_.message("サービス名を入力して下さい。");
    else
      area_.writeLine(prefix + area_.Edit_net2.text());
  }

  OptionArea& area_;
};

}  // namespace

std::unique_ptr<Family> makeServiceCommands(NetPage& page) {
  return std::make_unique<ServiceCommands>(page);
}

}  // namespace velquin::net
