// net view (12), net session (13) and net file (14): each lists something
// with no argument, or acts on one named thing typed into Edit_net2.

#include <string>

#include "net/families.h"

namespace velquin::net {

namespace {

// The three differ only in their texts.
struct ListOrOne {
  int number;
  const char* listing;       // operation 0
  const char* one;           // operation 1
  const char* placeholder;   // of Edit_net2
  const char* listingLine;   // operation 0's whole line
  const char* before;        // operation 1: before the typed name...
  const char* after;         // ...and after it
  const char* missing;       // operation 1 without a name
};

constexpr ListOrOne kView{12, "コンピュータ名一覧", "指定したPCの共有一覧",
                          "コンピュータ名", "net view", "net view \\\\", "",
                          "コンピュータ名を入力して下さい。"};
constexpr ListOrOne kSession{
    13, "ｾｯｼｮﾝ中のPC名一覧", "指定したPCとのｾｯｼｮﾝの切断", "コンピュータ名",
    "net session", "net session \\\\", " /delete",
    "コンピュータ名を入力して下さい。"};
constexpr ListOrOne kFile{14, "共有しているファイルの表示",
                          "ロックしているファイルの解除", "識別番号",
                          "net file", "net file ", " /close",
                          "識別番号を入力して下さい。"};

class ViewCommands : public Family {
 public:
  explicit ViewCommands(NetPage& page) : area_(page.area()) {
    page.bind(12, {.check = [this] { Act_CB_Net_12Execute(); },
                   .change = [this] { Act_NetCMB_12Execute(); },
                   .build = [this] { Act_btnNet_Set12Execute(); }});
    page.bind(13, {.check = [this] { Act_CB_Net_13Execute(); },
                   .change = [this] { Act_NetCMB_13Execute(); },
                   .build = [this] { Act_btnNet_Set13Execute(); }});
    page.bind(14, {.check = [this] { Act_CB_Net_14Execute(); },
                   .change = [this] { Act_NetCMB_14Execute(); },
                   .build = [this] { Act_btnNet_Set14Execute(); }});
  }

  void Act_CB_Net_12Execute() { check(kView); }
  void Act_NetCMB_12Execute() { change(kView); }
  void Act_btnNet_Set12Execute() { build(kView); }
  void Act_CB_Net_13Execute() { check(kSession); }
  void Act_NetCMB_13Execute() { change(kSession); }
  void Act_btnNet_Set13Execute() { build(kSession); }
  void Act_CB_Net_14Execute() { check(kFile); }
  void Act_NetCMB_14Execute() { change(kFile); }
  void Act_btnNet_Set14Execute() { build(kFile); }

 private:
  // The listing needs no field, so none is on view.
  void check(const ListOrOne& c) {
    area_.listOperations({c.listing, c.one});
    for (form::Control* field :
         {&area_.Edit_net1, &area_.Edit_net2, &area_.Edit_net3})
      field->setVisible(false);
  }

  // Every change puts the placeholder back; only operation 1 shows it.
  void change(const ListOrOne& c) {
    area_.Edit_net2.setText(c.placeholder);
    area_.Edit_net3.setText("");
    area_.Edit_net2.setVisible(false);
    area_.Edit_net3.setVisible(false);
    if (area_.operation() == 1) area_.Edit_net2.setVisible(true);
  }

  // The name goes in as typed; a computer name gets its backslashes here.
  void build(const ListOrOne& c) {
    if (area_.operation() == 0) area_.writeLine(c.listingLine);
    if (area_.operation() == 1) {
      if (!OptionArea::filled(area_.Edit_net2, c.placeholder)) {
        area_.message(c.missing);
        return;
      }
      area_.writeLine(c.before + area_.Edit_net2.text() + c.after);
    }
  }

  OptionArea& area_;
};

}  // namespace

std::unique_ptr<Family> makeViewCommands(NetPage& page) {
  return std::make_unique<ViewCommands>(page);
}

}  // namespace velquin::net
