#include "app/main_window.h"

#include "app/settings.h"

namespace velquin::app {

using form::Align;
using form::Kind;

// The controls the shell's handlers use, found once the window is
// declared: a misspelt name stops the program at start-up.
struct TfrmMain::Controls {
  form::Control& PageControl2;
  form::Control& Edit_flg;
  form::Control& PageControl1;
  form::Control& TabSheet1;
  form::Control& TS_Top;
  form::Control& RadioGroup1;
  form::Control& btnReflesh;
  form::Control& RadioGroupH;
  form::Control& Edit1;
};

TfrmMain::TfrmMain(platform::Platform& platform)
    : platform_(platform), form_("frmMain"), state_(platform) {
  form_.setCaption(kMainCaption);
  form_.setWindowBounds(designBounds());
  declareShell();
  declareSelector();
  declareTopPage();
  settings_ = &addUnit<Settings>();
  c_.reset(new Controls{form_["PageControl2"], form_["Edit_flg"],
                        form_["PageControl1"], form_["TabSheet1"],
                        form_["TS_Top"], form_["RadioGroup1"],
                        form_["btnReflesh"], form_["RadioGroupH"],
                        form_["Edit1"]});
}

TfrmMain::~TfrmMain() {
  // Units hold handlers that refer to the form; drop them first.
  form_.setView(nullptr);
  units_.clear();
}

void TfrmMain::declareShell() {
  form::Form& f = form_;
  // The status bar is docked first so that it stays below the button panel;
  // the pages come before the buttons in the tab order (a Client control
  // takes what the docked ones leave, wherever it is declared).
  f.add({.name = "StatusBar1", .kind = Kind::StatusBar,
         .bounds = {0, 0, 0, 19}, .style = {.align = Align::Bottom}});
  f.add({.name = "PageControl1", .kind = Kind::PageControl,
         .style = {.align = Align::Client},
         .onChange = [this] { PageControl1Change(); }});
  f.add({.name = "Panel2", .kind = Kind::Panel, .bounds = {0, 0, 0, 25},
         .style = {.align = Align::Bottom, .bevel = false}});
  f.add({.name = "TabSheet1", .kind = Kind::Page, .parent = "PageControl1",
         .text = "データ選択"});
  f.add({.name = "TabSheet2", .kind = Kind::Page, .parent = "PageControl1",
         .text = "取得データ"});
  f.add({.name = "TabSheet3", .kind = Kind::Page, .parent = "PageControl1",
         .text = "データ保存"});
  f.add({.name = "TabSheet4", .kind = Kind::Page, .parent = "PageControl1",
         .text = "自動実行"});
  f.add({.name = "TabSheet5", .kind = Kind::Page, .parent = "PageControl1",
         .text = "ヘルプ"});

  // Output view of the results page.
  f.add({.name = "Memo0", .kind = Kind::Memo, .parent = "TabSheet2",
         .style = {.align = Align::Client, .scrollBars = form::ScrollBars::Both,
                   .outputView = true},
         .readOnly = true});

  // Bottom panel, left to right.
  f.add({.name = "Edit_ctrl", .kind = Kind::Edit, .parent = "Panel2",
         .text = "0", .bounds = {0, 2, 16, 21}, .visible = false});
  f.add({.name = "btnDO", .kind = Kind::Button, .parent = "Panel2",
         .text = "&G 実　行", .bounds = {6, 1, 84, 23},
         .style = {.isDefault = true}, .action = "Act_btnDO"});
  f.add({.name = "btnCtrl", .kind = Kind::Button, .parent = "Panel2",
         .text = "Ctrl-C", .bounds = {94, 1, 64, 23}, .action = "Act_btnCTL"});
  f.add({.name = "btnBreak", .kind = Kind::Button, .parent = "Panel2",
         .text = "強制終了", .bounds = {162, 1, 72, 23},
         .hint = "コマンドの動作を停止します", .action = "Act_Break"});
  f.add({.name = "btnSave2", .kind = Kind::Button, .parent = "Panel2",
         .text = "&W ﾃﾞｰﾀ書込", .bounds = {238, 1, 84, 23}});
  f.add({.name = "btnTeach", .kind = Kind::Button, .parent = "Panel2",
         .text = "ﾃｰﾁﾝｸﾞ", .bounds = {326, 1, 72, 23}});
  f.add({.name = "btnClose", .kind = Kind::Button, .parent = "Panel2",
         .text = "&Q 閉じる", .bounds = {402, 1, 84, 23},
         .onClick = [this] { btnCloseClick(); }});
  f.add({.name = "Edit_flg", .kind = Kind::Edit, .parent = "Panel2",
         .text = "0", .bounds = {490, 2, 16, 21}, .visible = false});

  f.addAction({"Act_ReNew", "初期設定", "", [this] { Act_ReNewExecute(); }});
  f.addAction({"Act_Reflesh", "初期設定", "", [this] { Act_RefleshExecute(); }});

  // Help page: its top panel carries the usage-text selector, and the panel
  // below it the reset button of the data selection page.
  f.add({.name = "Panel4", .kind = Kind::Panel, .parent = "TabSheet5",
         .bounds = {0, 0, 0, 37}, .style = {.align = Align::Top}});
  f.add({.name = "RadioGroupH", .kind = Kind::RadioGroup, .parent = "Panel4",
         .bounds = {0, 0, 0, 35},
         .style = {.align = Align::Top, .columns = 6},
         .items = {"ipconfig", "ping", "netstat", "nbtstat", "route", "tracert"},
         .itemIndex = 0});
  f.add({.name = "Panel5", .kind = Kind::Panel, .parent = "TabSheet5",
         .bounds = {0, 0, 0, 22}, .style = {.align = Align::Top}});
  f.add({.name = "btnHelp3", .kind = Kind::Button, .parent = "Panel5",
         .text = "Version", .bounds = {132, 0, 60, 22}, .action = "Act_btnH3"});
  f.addAction({"Act_btnH3", "Help", "", [this] { Act_btnH3Execute(); }});
  f.add({.name = "btnReflesh", .kind = Kind::Button, .parent = "Panel5",
         .text = "初期化", .bounds = {244, 0, 75, 22}, .enabled = false,
         .onClick = [this] { btnRefleshClick(); }});
}

void TfrmMain::declareSelector() {
  form::Form& f = form_;
  f.add({.name = "Panel1", .kind = Kind::Panel, .parent = "TabSheet1",
         .bounds = {0, 0, 0, 52}, .style = {.align = Align::Top}});
  f.add({.name = "RadioGroup1", .kind = Kind::RadioGroup, .parent = "Panel1",
         .bounds = {0, 0, 0, 50},
         .style = {.align = Align::Top, .columns = 5},
         .items = {"ipconfig", "ping", "netstat", "nbtstat", "route", "tracert",
                   "net", "arp", "nslookup", "pathping"},
         .action = "Act_RB_Click"});
  f.addAction({"Act_RB_Click", "選択&表示", "", [this] { Act_RB_ClickExecute(); }});
  // The tool pages come before the command line in the tab order.
  f.add({.name = "PageControl2", .kind = Kind::PageControl, .parent = "TabSheet1",
         .style = {.align = Align::Client}});
  f.add({.name = "Panel3", .kind = Kind::Panel, .parent = "TabSheet1",
         .bounds = {0, 0, 0, 30}, .style = {.align = Align::Bottom}});
  f.add({.name = "Edit1", .kind = Kind::Edit, .parent = "Panel3",
         .bounds = {4, 5, 0, 20}, .style = {.rightMargin = 4}});
}

void TfrmMain::declareTopPage() {
  form::Form& f = form_;
  f.add({.name = "TS_Top", .kind = Kind::Page, .parent = "PageControl2",
         .text = "TS_Top"});
  f.add({.name = "Label14", .kind = Kind::Label, .parent = "TS_Top",
         .text = "注意事項", .bounds = {24, 20, 120, 16},
         .font = {.bold = true, .height = 14}});
  f.add({.name = "Label9", .kind = Kind::Label, .parent = "TS_Top",
         .text = "戻り値のないコマンドやコマンドプロンプトを起動させるコマンドは",
         .bounds = {40, 48, 480, 14}});
  f.add({.name = "Label12", .kind = Kind::Label, .parent = "TS_Top",
         .text = "このアプリケーションでは機能しない様にしている場合があります。",
         .bounds = {40, 68, 480, 14}});
  f.add({.name = "Label16", .kind = Kind::Label, .parent = "TS_Top",
         .text = "また、オプション自体表示しない場合もあります。",
         .bounds = {40, 88, 480, 14}});
  f.add({.name = "Label10", .kind = Kind::Label, .parent = "TS_Top",
         .text = kMakerName, .bounds = {24, 200, 200, 14},
         .style = {.handCursor = true},
         .onClick = [this] { Label10Click(); }});
  f.add({.name = "Label11", .kind = Kind::Label, .parent = "TS_Top",
         .text = kMakerSite, .bounds = {24, 220, 260, 14},
         .style = {.handCursor = true}, .font = {.color = 0x0000FF},
         .onClick = [this] { Label11Click(); }});
}

form::Form* TfrmMain::window(std::string_view name) const {
  for (form::Form* w : windows_)
    if (w->name() == name) return w;
  return nullptr;
}

form::Rect TfrmMain::designBounds() {
  const int dpi = platform_.screenDpi();
  form::Rect b = kDesignBounds;
  b.width = b.width * dpi / 96;
  b.height = b.height * dpi / 96;
  return b;
}

void TfrmMain::FormCreate() {
  startFolder_ = platform_.currentFolder();
  form_.setWindowBounds(designBounds());
  form_.execute("Act_ini_read");
  settings_->applyStoredBounds();
  state_.load(startFolder_);
}

void TfrmMain::FormShow() {
  for (form::Control* page : c_->PageControl2.pages())
    page->setTabVisible(false);
  for (auto& unit : units_) unit->formShown();
  c_->PageControl2.setActivePageIndex(0);
  form_.execute("Act_ini_Set");
}

void TfrmMain::FormClose() {
  form_.execute("Act_ini_Set");
  form_.execute("Act_ini_write");
  for (auto& unit : units_) unit->formClosing();
  // Nothing is written beside a program started from a CD-ROM.
  if (platform_.driveType(startFolder_.substr(0, 3)) !=
      platform::DriveType::CdRom)
    state_.save();
}

void TfrmMain::FormActivate() {}

void TfrmMain::btnCloseClick() { platform_.closeMainWindow(); }

void TfrmMain::Act_ReNewExecute() { c_->Edit_flg.setText("0"); }

void TfrmMain::Act_RefleshExecute() {
  c_->PageControl1.setActivePage(c_->TabSheet1);
  c_->PageControl2.setActivePage(c_->TS_Top);
  c_->RadioGroup1.setItemIndex(-1);
}

void TfrmMain::btnRefleshClick() {
  form_.execute("Act_Reflesh");
  form_.execute("Act_ReNew");
  c_->btnReflesh.setEnabled(false);
}

void TfrmMain::PageControl1Change() {
  form_.execute("Act_ReNew");
  c_->btnReflesh.setEnabled(true);
  c_->RadioGroupH.setItemIndex(c_->RadioGroup1.itemIndex());
}

void TfrmMain::Act_RB_ClickExecute() {
  c_->btnReflesh.setEnabled(true);
  const int tool = c_->RadioGroup1.itemIndex();
  for (int k = 0; k < kToolCount; ++k) {
    if (tool != k) continue;
    c_->PageControl2.setActivePageIndex(k + 1);
    if (tools_[k]) tools_[k]->toolChosen();
  }
  c_->TS_Top.setTabVisible(false);
  c_->Edit1.setText("");
}

void TfrmMain::Act_btnH3Execute() {
  form::Form* about = window("frmAbout");
  if (!about) return;
  // Centred over the main window at every showing; not modal.
  const form::Rect& m = form_.windowBounds();
  form::Rect a = about->windowBounds();
  a.left = m.left + (m.width - a.width) / 2;
  a.top = m.top + (m.height - a.height) / 2;
  about->setWindowBounds(a);
  about->setWindowVisible(true);
}

void TfrmMain::Label10Click() { platform_.shellOpen(kMakerHome); }

void TfrmMain::Label11Click() { platform_.shellOpen(kMakerSite); }

}  // namespace velquin::app
