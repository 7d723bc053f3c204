#include "builders/route_page.h"

namespace velquin::builders {

using form::Kind;

// The controls the handlers use, found once the page is declared: a
// misspelt name stops the program at start-up, not at the user's click.
struct RoutePage::Controls {
  form::Control& RadioGroup5_1;
  form::Control& RadioGroup5_2;
  form::Control& Edit5_1;
  form::Control& Edit5_2;
  form::Control& Edit5_3;
  form::Control& Edit5_4;
  form::Control& Edit5_5;
  form::Control& Edit1;
};

RoutePage::RoutePage(app::TfrmMain& main) : main_(main) {
  form::Form& f = main_.form();
  f.add({.name = "TS_route", .kind = Kind::Page, .parent = "PageControl2",
         .text = "route"});

  f.add({.name = "RadioGroup5_1", .kind = Kind::RadioGroup,
         .parent = "TS_route", .text = "&O オプション選択",
         .bounds = {8, 4, 260, 74},
         .items = {"選択しない", "デフォルト・ルートを消去する。",
                   "追加したルートを継続的に有効にする。"},
         .itemIndex = 0});
  f.add({.name = "RadioGroup5_2", .kind = Kind::RadioGroup,
         .parent = "TS_route", .text = "&C コマンド選択",
         .bounds = {8, 86, 260, 112},
         .items = {"選択しない", "PRINT", "ADD", "DELETE", "CHANGE"},
         .itemIndex = 0});

  // The route's fields, each under its label; the presets are real values
  // that go into the line as they stand.
  struct Field {
    const char* label;
    const char* caption;
    const char* edit;
    const char* preset;
  };
  static constexpr Field kFields[] = {
      {"Label3", "&H ホスト名  (192.168.1.10)", "Edit5_1", "192.168.1.1"},
      {"Label4", "&N ネットマスク", "Edit5_2", "255.255.255.255"},
      {"Label5", "&T ゲートウェイ", "Edit5_3", "192.168.1.1"},
      {"Label6", "&M メトリック", "Edit5_4", ""},
      {"Label7", "&I インターフェース", "Edit5_5", ""},
  };
  int top = 8;
  for (const Field& fd : kFields) {
    f.add({.name = fd.label, .kind = Kind::Label, .parent = "TS_route",
           .text = fd.caption, .bounds = {284, top, 200, 14},
           .style = {.focusControl = fd.edit}});
    f.add({.name = fd.edit, .kind = Kind::Edit, .parent = "TS_route",
           .text = fd.preset, .bounds = {284, top + 16, 200, 20}});
    top += 42;
  }

  f.add({.name = "btnRoute_Click", .kind = Kind::Button, .parent = "TS_route",
         .text = "&S 確　定", .bounds = {496, 252, 84, 23},
         .action = "Act_btnRoute_Click"});
  f.addAction({"Act_btnRoute_Click", "route", "&S 確　定",
               [this] { Act_btnRoute_ClickExecute(); }});
  c_.reset(new Controls{main_["RadioGroup5_1"], main_["RadioGroup5_2"],
      main_["Edit5_1"], main_["Edit5_2"], main_["Edit5_3"], main_["Edit5_4"],
      main_["Edit5_5"], main_["Edit1"]});
}

void RoutePage::Act_btnRoute_ClickExecute() {
  const int option = c_->RadioGroup5_1.itemIndex();
  const int command = c_->RadioGroup5_2.itemIndex();
  const std::string destination = c_->Edit5_1.text();
  const std::string mask = c_->Edit5_2.text();
  const std::string gateway = c_->Edit5_3.text();
  const std::string metric = c_->Edit5_4.text();
  const std::string ifIndex = c_->Edit5_5.text();

  // Every piece ends in a blank and every field part begins with one, so
  // blanks add up where two meet; the console command takes that.
  std::string line;
  if (option == 0) line = "route ";
  if (option == 1) line = "route -f ";
  if (option == 2) line = "route -p ";
  if (command == 0) line += " ";
  if (command == 1) line += "PRINT ";
  if (command == 2) line += "ADD ";
  if (command == 3) line += "DELETE ";
  if (command == 4) line += "CHANGE ";
  if (!destination.empty()) line += " " + destination;
  if (!mask.empty()) line += " MASK " + mask;
  if (!gateway.empty()) line += " " + gateway;
  if (!metric.empty()) line += " METRIC " + metric;
  if (!ifIndex.empty()) line += " IF " + ifIndex;
  c_->Edit1.setText(line);
}

void RoutePage::toolChosen() { main_.form().setFocus(c_->RadioGroup5_1); }

RoutePage::~RoutePage() = default;

}  // namespace velquin::builders
