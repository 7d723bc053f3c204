#include "builders/tracert_page.h"

namespace velquin::builders {

using form::Kind;

// The controls the handlers use, found once the page is declared: a
// misspelt name stops the program at start-up, not at the user's click.
struct TracertPage::Controls {
  form::Control& CB_Trace1;
  form::Control& CB_Trace2;
  form::Control& Edit6_2;
  form::Control& CB_Trace3;
  form::Control& Edit6_3;
  form::Control& CB_Trace4;
  form::Control& Edit6_4;
  form::Control& Edit6;
  form::Control& Edit1;
};

TracertPage::TracertPage(app::TfrmMain& main) : main_(main) {
  form::Form& f = main_.form();
  f.add({.name = "TS_tracert", .kind = Kind::Page, .parent = "PageControl2",
         .text = "tracert"});

  f.add({.name = "Label8", .kind = Kind::Label, .parent = "TS_tracert",
         .text = "&A 相手アドレスを入力して下さい。",
         .bounds = {8, 8, 240, 14}, .style = {.focusControl = "Edit6"}});
  f.add({.name = "Edit6", .kind = Kind::Edit, .parent = "TS_tracert",
         .bounds = {8, 24, 240, 20}});

  // Each option's box, with its value field (where it has one) to its
  // right on the same row. The value fields are always enabled and keep
  // what the user typed.
  f.add({.name = "GroupBox1", .kind = Kind::GroupBox, .parent = "TS_tracert",
         .text = "&O オプション選択", .bounds = {8, 56, 500, 120}});
  f.add({.name = "CB_Trace1", .kind = Kind::CheckBox, .parent = "GroupBox1",
         .text = "IPアドレスから名前を求めないようにする",
         .bounds = {8, 6, 264, 17}});
  f.add({.name = "CB_Trace2", .kind = Kind::CheckBox, .parent = "GroupBox1",
         .text = "最大TTL数を指定する (default 30)",
         .bounds = {8, 30, 264, 17}});
  f.add({.name = "Edit6_2", .kind = Kind::Edit, .parent = "GroupBox1",
         .text = "30", .bounds = {280, 28, 80, 20}});
  f.add({.name = "CB_Trace3", .kind = Kind::CheckBox, .parent = "GroupBox1",
         .text = "通過する経路を明示的に指定する",
         .bounds = {8, 54, 264, 17}});
  f.add({.name = "Edit6_3", .kind = Kind::Edit, .parent = "GroupBox1",
         .bounds = {280, 52, 200, 20},
         .hint = "経由するホストを空白で区切って指定します"});
  f.add({.name = "CB_Trace4", .kind = Kind::CheckBox, .parent = "GroupBox1",
         .text = "Time Out までの時間 (4000＝4秒)ﾐﾘ秒",
         .bounds = {8, 78, 264, 17}});
  f.add({.name = "Edit6_4", .kind = Kind::Edit, .parent = "GroupBox1",
         .text = "4000", .bounds = {280, 76, 80, 20}});

  f.add({.name = "btnTrace", .kind = Kind::Button, .parent = "TS_tracert",
         .text = "&S 確　定", .bounds = {496, 252, 84, 23},
         .action = "Act_btnTrace_Click"});
  f.addAction({"Act_btnTrace_Click", "tracert", "&S確　定",
               [this] { Act_btnTrace_ClickExecute(); }});
  c_.reset(new Controls{main_["CB_Trace1"], main_["CB_Trace2"],
      main_["Edit6_2"], main_["CB_Trace3"], main_["Edit6_3"],
      main_["CB_Trace4"], main_["Edit6_4"], main_["Edit6"], main_["Edit1"]});
}

void TracertPage::Act_btnTrace_ClickExecute() {
  std::string line = "tracert ";
  if (c_->CB_Trace1.checked()) line += "-d ";
  if (c_->CB_Trace2.checked()) line += "-h " + c_->Edit6_2.text() + " ";
  if (c_->CB_Trace3.checked()) line += "-j " + c_->Edit6_3.text() + " ";
  if (c_->CB_Trace4.checked()) line += "-w " + c_->Edit6_4.text() + " ";
  line += c_->Edit6.text();
  c_->Edit1.setText(line);
}

void TracertPage::toolChosen() { main_.form().setFocus(c_->Edit6); }

TracertPage::~TracertPage() = default;

}  // namespace velquin::builders
