#include "builders/ping_page.h"

#include <string>

namespace velquin::builders {

using form::Align;
using form::Kind;

namespace {

// The option panel holds one row per option: its check box and, for the
// options that take a value, the value field beside it.
constexpr int kPanelWidth = 372;
constexpr int kRowPitch = 26;
constexpr form::Rect optionBox(int row) {
  return {4, 10 + row * kRowPitch, 312, 17};
}
constexpr form::Rect valueField(int row) {
  return {320, 8 + row * kRowPitch, 44, 20};
}

}  // namespace

// The controls the handlers use, found once the page is declared: a
// misspelt name stops the program at start-up, not at the user's click.
struct PingPage::Controls {
  form::Control& Edit1;
  form::Control& PanelPING;
  form::Control& Edit3_n;
  form::Control& Edit3_l;
  form::Control& Edit3_i;
  form::Control& Edit3_v;
  form::Control& Edit3_r;
  form::Control& Edit3_s;
  form::Control& Edit3_w;
  form::Control& Edit3;
  form::Control& CB_ping1;
  form::Control& CB_ping2;
  form::Control& CB_ping3;
  form::Control& CB_ping4;
  form::Control& CB_ping5;
  form::Control& CB_ping6;
  form::Control& CB_ping7;
  form::Control& CB_ping8;
  form::Control& CB_ping9;
  form::Control& CB_ping10;
};

PingPage::PingPage(app::TfrmMain& main) : main_(main) {
  form::Form& f = main_.form();
  f.add({.name = "TS_ping", .kind = Kind::Page, .parent = "PageControl2",
         .text = "ping",
         .onResize = [this] { TS_pingResize(); }});

  // Target address, top left.
  f.add({.name = "Label1", .kind = Kind::Label, .parent = "TS_ping",
         .text = "&A 相手アドレスを入力して下さい。", .bounds = {8, 16, 200, 14},
         .style = {.focusControl = "Edit3"}});
  f.add({.name = "Edit3", .kind = Kind::Edit, .parent = "TS_ping",
         .bounds = {8, 32, 200, 20}});

  f.add({.name = "btnPing_S", .kind = Kind::Button, .parent = "TS_ping",
         .text = "&B 詳細設定", .bounds = {8, 64, 84, 23},
         .action = "Act_btnPingS_Click"});
  f.addAction({"Act_btnPingS_Click", "ping", "詳細設定",
               [this] { Act_btnPingS_ClickExecute(); }});

  // Detail settings along the right edge, closed until asked for. Declared
  // between the two buttons so that Tab walks address, detail button,
  // options, confirm.
  f.add({.name = "PanelPING", .kind = Kind::Panel, .parent = "TS_ping",
         .bounds = {0, 0, kPanelWidth, 0},
         .style = {.align = Align::Right, .bevel = false}, .visible = false});
  declareOptions();

  f.add({.name = "btnPingC", .kind = Kind::Button, .parent = "TS_ping",
         .text = "&S 確　定", .bounds = {124, 64, 84, 23},
         .action = "Act_btnPingC_Click"});
  f.addAction({"Act_btnPingC_Click", "ping", "&S 確　定",
               [this] { Act_btnPingC_ClickExecute(); }});
  c_.reset(new Controls{main_["Edit1"], main_["PanelPING"], main_["Edit3_n"],
      main_["Edit3_l"], main_["Edit3_i"], main_["Edit3_v"], main_["Edit3_r"],
      main_["Edit3_s"], main_["Edit3_w"], main_["Edit3"], main_["CB_ping1"],
      main_["CB_ping2"], main_["CB_ping3"], main_["CB_ping4"],
      main_["CB_ping5"], main_["CB_ping6"], main_["CB_ping7"],
      main_["CB_ping8"], main_["CB_ping9"], main_["CB_ping10"]});
}

void PingPage::declareOptions() {
  form::Form& f = main_.form();
  // Value fields show the console command's default until entered.
  f.add({.name = "CB_ping1", .kind = Kind::CheckBox, .parent = "PanelPING",
         .text = "IPアドレスからDNS名を求める", .bounds = optionBox(0),
         .hint = "通常のDNSの名前解決は、DNS名からIPアドレスを検索しますが、"
                 "その逆にIPアドレスからDNS名を検索します。"});

  f.add({.name = "CB_ping2", .kind = Kind::CheckBox, .parent = "PanelPING",
         .text = "ICMPの送信回数を変更する (default 4)", .bounds = optionBox(1)});
  f.add({.name = "Edit3_n", .kind = Kind::Edit, .parent = "PanelPING",
         .text = "4", .bounds = valueField(1),
         .onEnter = enterAction("Act_Ed3n_Enter",
                                &PingPage::Act_Ed3n_EnterExecute)});

  f.add({.name = "CB_ping3", .kind = Kind::CheckBox, .parent = "PanelPING",
         .text = "パケットサイズを変更する。 (default 32)",
         .bounds = optionBox(2)});
  f.add({.name = "Edit3_l", .kind = Kind::Edit, .parent = "PanelPING",
         .text = "32", .bounds = valueField(2),
         .onEnter = enterAction("Act_Ed3l_Enter",
                                &PingPage::Act_Ed3l_EnterExecute)});

  f.add({.name = "CB_ping4", .kind = Kind::CheckBox, .parent = "PanelPING",
         .text = "パケットを分割することを禁止する。", .bounds = optionBox(3)});

  f.add({.name = "CB_ping5", .kind = Kind::CheckBox, .parent = "PanelPING",
         .text = "TTL フィールドの値を変更する (default 128)",
         .bounds = optionBox(4)});
  f.add({.name = "Edit3_i", .kind = Kind::Edit, .parent = "PanelPING",
         .text = "128", .bounds = valueField(4),
         .onEnter = enterAction("Act_Ed3i_Enter",
                                &PingPage::Act_Ed3i_EnterExecute)});

  f.add({.name = "CB_ping6", .kind = Kind::CheckBox, .parent = "PanelPING",
         .text = "TOSフィールドの値を変更する", .bounds = optionBox(5)});
  f.add({.name = "Edit3_v", .kind = Kind::Edit, .parent = "PanelPING",
         .text = "64", .bounds = valueField(5),
         .onEnter = enterAction("Act_Ed3v_Enter",
                                &PingPage::Act_Ed3v_EnterExecute)});

  f.add({.name = "CB_ping7", .kind = Kind::CheckBox, .parent = "PanelPING",
         .text = "経由したルータのアドレスを記録する（9個まで）",
         .bounds = optionBox(6)});
  f.add({.name = "Edit3_r", .kind = Kind::Edit, .parent = "PanelPING",
         .text = "9", .bounds = valueField(6),
         .onEnter = enterAction("Act_Ed3r_Enter",
                                &PingPage::Act_Ed3r_EnterExecute)});

  f.add({.name = "CB_ping8", .kind = Kind::CheckBox, .parent = "PanelPING",
         .text = "経由したルータのアドレスと時間を記録（4個まで）",
         .bounds = optionBox(7)});
  f.add({.name = "Edit3_s", .kind = Kind::Edit, .parent = "PanelPING",
         .text = "4", .bounds = valueField(7),
         .onEnter = enterAction("Act_Ed3s_Enter",
                                &PingPage::Act_Ed3s_EnterExecute)});

  f.add({.name = "CB_ping9", .kind = Kind::CheckBox, .parent = "PanelPING",
         .text = "タイムアウト時間を指定する。単位はミリ秒",
         .bounds = optionBox(8)});
  f.add({.name = "Edit3_w", .kind = Kind::Edit, .parent = "PanelPING",
         .text = "1500", .bounds = valueField(8),
         .onEnter = enterAction("Act_Ed3w_Enter",
                                &PingPage::Act_Ed3w_EnterExecute)});

  f.add({.name = "CB_ping10", .kind = Kind::CheckBox, .parent = "PanelPING",
         .text = "中止するまでパケットを送信する", .bounds = optionBox(9)});
}

// A value field's enter event runs its own action, which runs the handler.
form::Handler PingPage::enterAction(const char* action,
                                    void (PingPage::*handler)()) {
  form::Form& f = main_.form();
  f.addAction({action, "ping", "", [this, handler] { (this->*handler)(); }});
  return [&f, action] { f.execute(action); };
}

void PingPage::TS_pingResize() { c_->Edit1.setText(""); }

void PingPage::Act_btnPingS_ClickExecute() {
  form::Control& panel = c_->PanelPING;
  panel.setVisible(!panel.visible());
}

void PingPage::Act_Ed3n_EnterExecute() { c_->Edit3_n.setText(""); }
void PingPage::Act_Ed3l_EnterExecute() { c_->Edit3_l.setText(""); }
void PingPage::Act_Ed3i_EnterExecute() { c_->Edit3_i.setText(""); }
void PingPage::Act_Ed3v_EnterExecute() { c_->Edit3_v.setText(""); }
void PingPage::Act_Ed3r_EnterExecute() { c_->Edit3_r.setText(""); }
void PingPage::Act_Ed3s_EnterExecute() { c_->Edit3_s.setText(""); }
void PingPage::Act_Ed3w_EnterExecute() { c_->Edit3_w.setText(""); }

void PingPage::Act_btnPingC_ClickExecute() {
  // An empty address is pointed out, but the line is written all the same:
  // the user may complete it in the command line field.
  if (c_->Edit3.text().empty())
    main_.platform().showMessage("相手アドレスを入力して下さい。");

  // Every switch carries a blank on both sides; a value follows as typed.
  std::string line = "Ping";
  if (c_->CB_ping1.checked()) line += " -a ";
  if (c_->CB_ping2.checked()) line += " -n " + c_->Edit3_n.text();
  if (c_->CB_ping3.checked()) line += " -l " + c_->Edit3_l.text();
  if (c_->CB_ping4.checked()) line += " -f ";
  if (c_->CB_ping5.checked()) line += " -i " + c_->Edit3_i.text();
  if (c_->CB_ping6.checked()) line += " -v " + c_->Edit3_v.text();
  if (c_->CB_ping7.checked()) line += " -r " + c_->Edit3_r.text();
  if (c_->CB_ping8.checked()) line += " -s " + c_->Edit3_s.text();
  if (c_->CB_ping9.checked()) line += " -w " + c_->Edit3_w.text();
  if (c_->CB_ping10.checked()) line += " -t ";
  line += " " + c_->Edit3.text();
  c_->Edit1.setText(line);
}

void PingPage::toolChosen() { main_.form().setFocus(c_->Edit3); }

PingPage::~PingPage() = default;

}  // namespace velquin::builders
