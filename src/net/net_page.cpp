#include "net/net_page.h"

#include "net/families.h"

namespace velquin::net {

using form::Align;
using form::Kind;

namespace {

// One row per sub-command: its check box stands on the category page
// `category` (0 to 3), shows `caption` and names the command in its hint.
// `itemChange` says whether the sub-command has an item-change action.
struct Row {
  int number;
  int category;
  const char* caption;
  const char* hint;
  bool itemChange;
};

constexpr Row kRows[kSubCommands] = {
    {1, 0, "ユーザーアカウントの設定情報を表示、設定", "Net Accounts", true},
    {2, 0, "コンピュータをドメインへ登録・解除する", "net computer", false},
    {3, 0, "ユーザーアカウントの情報の表示・設定", "Net User", true},
    {4, 0, "グループアカウントの情報の表示・設定", "net group", false},
    {5, 0, "ローカルグループの情報の表示・設定", "net localgroup", true},
    {6, 1, "サービスの起動", "net start", true},
    {7, 1, "サービスの停止", "net stop", false},
    {8, 1, "サービスの一時停止", "net pause", false},
    {9, 1, "サービスの再開", "net continue", false},
    {10, 2, "サーバリソースの公開", "net share", true},
    {11, 2, "共有リソースへの接続・切断", "net use", true},
    {12, 2, "共有リソース一覧表示", "net view", true},
    {13, 2, "PC間のセッション情報の表示・切断", "net session", true},
    {14, 2, "共有しているファイルの表示、ロック解除", "net file", true},
    {15, 2, "印刷ジョブの表示・一時停止・再開・削除", "net print", true},
    {16, 3, "ｻｰﾊﾞｰ&&ﾜｰｸｽﾃｰｼｮﾝｻｰﾋﾞｽの表示・設定", "net config", true},
    {17, 3, "メッセージ受信のためエイリアス追加・削除", "net name", false},
    {18, 3, "メッセージの送信", "net send", false},
    {19, 3, "ｻｰﾊﾞｰ&&ﾜｰｸｽﾃｰｼｮﾝｻｰﾋﾞｽの統計情報表示", "net statistics", false},
    {20, 3, "時刻を指定したコンピュータやドメインと同期", "net time", true},
    {21, 3, "HELPの表示", "net help", false},
    {22, 3, "ネットワークメッセージの表示", "net helpmsg", false},
};

constexpr const char* kCategoryPages[] = {"TS_Net1", "TS_Net2", "TS_Net3",
                                          "TS_Net4"};

std::string twoDigits(int n) {
  return std::string(1, static_cast<char>('0' + n / 10)) +
         static_cast<char>('0' + n % 10);
}
std::string boxName(int n) { return "CB_net_" + twoDigits(n); }
std::string checkAction(int n) { return "Act_CB_Net_" + twoDigits(n); }
std::string changeAction(int n) { return "Act_NetCMB_" + twoDigits(n); }
std::string buildAction(int n) { return "Act_btnNet_Set" + twoDigits(n); }

// Placement on the page: categories across the top, the sub-command boxes
// on the left, the option pages and the confirm button on the right.
constexpr int kCategoryHeight = 40;
constexpr int kOptionWidth = 330;
constexpr int kOptionHeight = 186;
constexpr int kBoxPitch = 24;

}  // namespace

OptionArea::OptionArea(app::TfrmMain& main)
    : Edit1(main["Edit1"]),
      PageControl4(main["PageControl4"]),
      TS_Select1(main["TS_Select1"]),
      ComboBox1(main["ComboBox1"]),
      Edit_net1(main["Edit_net1"]),
      LBL_Net1(main["LBL_Net1"]),
      Edit_net2(main["Edit_net2"]),
      Edit_net3(main["Edit_net3"]),
      Edit_net4(main["Edit_net4"]),
      Memo4(main["Memo4"]),
      Panel10(main["Panel10"]),
      CheckBox1(main["CheckBox1"]),
      Edit7(main["Edit7"]),
      CheckBox2(main["CheckBox2"]),
      Edit8(main["Edit8"]),
      os(main.platform()) {}

void OptionArea::listOperations(std::initializer_list<const char*> operations) {
  ComboBox1.clearItems();
  for (const char* op : operations) ComboBox1.addItem(op);
  ComboBox1.setEnabled(true);
  ComboBox1.setItemIndex(0);
  ComboBox1.setVisible(true);
}

void OptionArea::prompt(form::Control& field, const char* placeholder) {
  field.setText(placeholder);
  field.setVisible(true);
}

bool OptionArea::filled(const form::Control& field,
                        std::string_view placeholder) {
  return !field.text().empty() && field.text() != placeholder;
}

NetPage::NetPage(app::TfrmMain& main) : main_(main) {
  declareFrame();
  declareOptionArea();
  area_ = std::make_unique<OptionArea>(main_);
  // The families declare their own option pages after the option area, in
  // the order of their sub-commands, and bind their handlers.
  addFamilies(*this, families_);
  declareSubCommands();
}

NetPage::~NetPage() = default;

void NetPage::declareFrame() {
  form::Form& f = main_.form();
  f.add({.name = "TS_net", .kind = Kind::Page, .parent = "PageControl2",
         .text = "net", .onShow = [this] { TS_netShow(); }});
  f.add({.name = "Panel8", .kind = Kind::Panel, .parent = "TS_net",
         .bounds = {0, 0, 0, kCategoryHeight},
         .style = {.align = Align::Top, .bevel = false}});
  radioGroup4_ = &f.add({.name = "RadioGroup4", .kind = Kind::RadioGroup, .parent = "Panel8",
         .bounds = {0, 0, 0, kCategoryHeight - 2},
         .style = {.align = Align::Top, .columns = 5},
         .items = {"アカウント", "サービス", "共有サービス", "その他"},
         .itemIndex = 0, .action = "Act_TS_Select"});
  f.addAction({"Act_TS_Select", "Net_Set", "",
               [this] { Act_TS_SelectExecute(); }});
  pageControl3_ = &f.add({.name = "PageControl3", .kind = Kind::PageControl,
                          .parent = "TS_net",
                          .style = {.align = Align::Client}});
  constexpr const char* kCategoryCaptions[] = {"アカウント", "サービス",
                                               "共有サービス", "その他"};
  for (int k = 0; k < 4; ++k)
    categoryPages_[k] = &f.add({.name = kCategoryPages[k], .kind = Kind::Page,
                                .parent = "PageControl3",
                                .text = kCategoryCaptions[k]});

  f.add({.name = "Panel9", .kind = Kind::Panel, .parent = "TS_net",
         .bounds = {0, 0, kOptionWidth, 0},
         .style = {.align = Align::Right, .bevel = false}});
  f.add({.name = "PageControl4", .kind = Kind::PageControl, .parent = "Panel9",
         .bounds = {0, 0, kOptionWidth, kOptionHeight}});
  f.add({.name = "btnNet", .kind = Kind::Button, .parent = "Panel9",
         .text = "&S 確　定", .bounds = {8, kOptionHeight + 4, 84, 23},
         .action = "Act_btnNet_Click"});
  f.addAction({"Act_btnNet_Click", "Net_Set", "&S 確　定",
               [this] { Act_btnNet_ClickExecute(); }});
  f.addAction({"Act_CB_Clear", "Net_Set", "",
               [this] { Act_CB_ClearExecute(); }});
}

void NetPage::declareOptionArea() {
  form::Form& f = main_.form();
  f.add({.name = "TS_Select1", .kind = Kind::Page, .parent = "PageControl4",
         .text = "全般"});
  // The operation list takes no typed text: the builders read only the
  // chosen item, and free text would leave none chosen.
  f.add({.name = "ComboBox1", .kind = Kind::ComboBox, .parent = "TS_Select1",
         .bounds = {8, 8, 220, 20},
         .style = {.comboStyle = form::ComboStyle::DropDownList},
         .visible = false, .enabled = false,
         .onChange = [this] { ComboBox1Change(); }});
  f.add({.name = "Edit_net1", .kind = Kind::Edit, .parent = "TS_Select1",
         .bounds = {234, 8, 40, 20}, .visible = false});
  // The unit under the short field: beside it, a unit such as
  // "分(切断無 -1)" would run past the page's edge.
  f.add({.name = "LBL_Net1", .kind = Kind::Label, .parent = "TS_Select1",
         .bounds = {234, 34, 90, 14}});
  f.add({.name = "Edit_net2", .kind = Kind::Edit, .parent = "TS_Select1",
         .text = "コンピュータ名", .bounds = {8, 36, 220, 20},
         .visible = false, .onEnter = [this] { Edit_net2Enter(); }});
  f.add({.name = "Edit_net3", .kind = Kind::Edit, .parent = "TS_Select1",
         .bounds = {8, 62, 220, 20}, .visible = false,
         .onEnter = [this] { Edit_net3Enter(); }});
  f.add({.name = "Edit_net4", .kind = Kind::Edit, .parent = "TS_Select1",
         .bounds = {8, 88, 220, 20}, .visible = false,
         .onEnter = [this] { Edit_net4Enter(); }});
  // The message of net send takes the place of the second and third value.
  f.add({.name = "Memo4", .kind = Kind::Memo, .parent = "TS_Select1",
         .bounds = {8, 62, 310, 96},
         .style = {.scrollBars = form::ScrollBars::Vertical, .wordWrap = true},
         .visible = false});
  // The share options sit below the share name and path.
  f.add({.name = "Panel10", .kind = Kind::Panel, .parent = "TS_Select1",
         .bounds = {0, 88, 326, 56}, .style = {.bevel = false},
         .visible = false});
  f.add({.name = "CheckBox1", .kind = Kind::CheckBox, .parent = "Panel10",
         .text = "最大ｱｸｾｽﾕｰｻﾞｰ数", .bounds = {8, 4, 120, 17}});
  f.add({.name = "Edit7", .kind = Kind::Edit, .parent = "Panel10",
         .bounds = {132, 2, 50, 20}});
  f.add({.name = "Label22", .kind = Kind::Label, .parent = "Panel10",
         .text = "無制限　-1", .bounds = {188, 5, 80, 14}});
  f.add({.name = "CheckBox2", .kind = Kind::CheckBox, .parent = "Panel10",
         .text = "共有資源にｺﾒﾝﾄ", .bounds = {8, 30, 120, 17}});
  f.add({.name = "Edit8", .kind = Kind::Edit, .parent = "Panel10",
         .bounds = {132, 28, 186, 20}});
}

void NetPage::declareSubCommands() {
  form::Form& f = main_.form();
  int onPage[4] = {};
  for (const Row& row : kRows) {
    const int n = row.number;
    boxes_[n] = &f.add({.name = boxName(n), .kind = Kind::CheckBox,
                        .parent = kCategoryPages[row.category],
                        .text = row.caption,
           .bounds = {8, 8 + onPage[row.category]++ * kBoxPitch, 240, 17},
           .style = {.rightMargin = 8, .tabGroup = true}, .hint = row.hint,
           .action = checkAction(n),
           .onEnter = [this] { main_.form().execute("Act_CB_Clear"); }});
    // The check-box handler does not look at the box; the other two act
    // only while their own box is ticked.
    f.addAction({checkAction(n), "Net_Check", "", [this, n] {
                   if (handlers_[n].check) handlers_[n].check();
                 }});
    f.addAction({buildAction(n), "Net_GO", "", [this, n] {
                   if (box(n).checked() && handlers_[n].build)
                     handlers_[n].build();
                 }});
    if (row.itemChange)
      f.addAction({changeAction(n), "Net_CMB", "", [this, n] {
                     if (box(n).checked() && handlers_[n].change)
                       handlers_[n].change();
                   }});
  }
}

void NetPage::bind(int number, SubCommand handlers) {
  handlers_.at(number) = std::move(handlers);
}

form::Control& NetPage::box(int number) const { return *boxes_.at(number); }

void NetPage::formShown() {
  for (form::Control* pc : {pageControl3_, &area_->PageControl4})
    for (form::Control* page : pc->pages()) page->setTabVisible(false);
}

void NetPage::Act_TS_SelectExecute() {
  main_.form().execute("Act_CB_Clear");
  const int category = radioGroup4_->itemIndex();
  for (int k = 0; k < 4; ++k)
    if (category == k) pageControl3_->setActivePage(*categoryPages_[k]);
}

void NetPage::TS_netShow() {
  pageControl3_->setActivePage(*categoryPages_[0]);
  area_->PageControl4.setActivePage(area_->TS_Select1);
}

void NetPage::Act_CB_ClearExecute() {
  OptionArea& a = *area_;
  for (int n = 1; n <= kSubCommands; ++n) box(n).setChecked(false);
  a.ComboBox1.setVisible(false);
  a.ComboBox1.setItemIndex(-1);
  for (form::Control* field : {&a.Edit_net1, &a.Edit_net2, &a.Edit_net3,
                               &a.Edit_net4}) {
    field->setText("");
    field->setVisible(false);
  }
  a.LBL_Net1.setText("");
  a.Memo4.setVisible(false);
  a.Panel10.setVisible(false);
  a.PageControl4.setActivePage(a.TS_Select1);
}

void NetPage::Act_btnNet_ClickExecute() {
  for (int n = 1; n <= kSubCommands; ++n) main_.form().execute(buildAction(n));
}

void NetPage::ComboBox1Change() {
  area_->LBL_Net1.setText("");
  for (int n : {1, 3, 5, 6, 10, 11, 12, 13, 14, 15, 16, 20})
    main_.form().execute(changeAction(n));
}

void NetPage::Edit_net2Enter() { area_->Edit_net2.setText(""); }
void NetPage::Edit_net3Enter() { area_->Edit_net3.setText(""); }
void NetPage::Edit_net4Enter() { area_->Edit_net4.setText(""); }

}  // namespace velquin::net
