// net user (03): list the accounts, add one with its account options, or
// delete one. Its options fill two pages of their own, "user" and "user2",
// between which the user turns with two buttons. The net page reset leaves
// both pages alone, so every choice, tick and text survives ticking another
// sub-command and coming back.

#include <string>

#include "net/families.h"

namespace velquin::net {

using form::Control;
using form::Kind;

namespace {

constexpr const char* kUserName = "ユーザー名";
constexpr const char* kPassword = "パスワード";
constexpr const char* kHour = "hh";
constexpr const char* kNeedUserAndPassword =
    "ユーザー名とパスワードを入力して下さい。";
constexpr const char* kNeedUser = "ユーザー名を入力して下さい。";

// Items of RG_user.
enum Operation { kList, kAdd, kDelete };

// Items of CMB_user04, the logon-hours mode.
enum LogonHours { kAnyTime, kHours, kDays, kHoursAndDays, kNever };

const form::Font kSmall{.height = 10};

class UserCommands : public Family {
 public:
  explicit UserCommands(NetPage& page) : page_(page), area_(page.area()) {
    declareUserPage();
    declareUser2Page();
    // No item-change handler: the operation list is not used.
    page.bind(3, {.check = [this] { Act_CB_Net_03Execute(); },
                  .build = [this] { Act_btnNet_Set03Execute(); }});
  }

  void Act_CB_Net_03Execute() { area_.PageControl4.setActivePage(*TS_Select3); }
  void btnNextClick() { area_.PageControl4.setActivePage(*TS_Select4); }
  void btnPreClick() { area_.PageControl4.setActivePage(*TS_Select3); }

  // A new operation shows the fields it needs; the domain switch starts
  // unticked again. The texts of the fields stay.
  void RG_userClick() {
    Edit_user1->setVisible(false);
    Edit_user2->setVisible(false);
    CB_user->setChecked(false);
    if (RG_user->itemIndex() == kAdd) {
      Edit_user1->setVisible(true);
      Edit_user2->setVisible(true);
    }
    if (RG_user->itemIndex() == kDelete) Edit_user1->setVisible(true);
  }

  // The hour range and the day range come on view for the modes that use
  // them; free text in the mode list chooses no mode and changes nothing.
  void CMB_user04Change() {
    const int mode = CMB_user04->itemIndex();
    if (mode < kAnyTime || mode > kNever) return;
    const bool hours = mode == kHours || mode == kHoursAndDays;
    const bool days = mode == kDays || mode == kHoursAndDays;
    for (Control* c : {Edit_user9, Label26, Edit_user10, Label20})
      c->setVisible(hours);
    for (Control* c : {CMB_user05, Label27, CMB_user06, CB_user11_0})
      c->setVisible(days);
  }

  void Act_btnNet_Set03Execute() {
    switch (RG_user->itemIndex()) {
      case kList:
        area_.writeLine(CB_user->checked() ? "net user /domain" : "net user");
        break;
      case kAdd:
        if (!OptionArea::filled(*Edit_user1, kUserName) ||
            !OptionArea::filled(*Edit_user2, kPassword))
          return area_.message(kNeedUserAndPassword);
        area_.writeLine(addLine());
        break;
      case kDelete:
        if (!OptionArea::filled(*Edit_user1, kUserName))
          return area_.message(kNeedUser);
        area_.writeLine("net user " + Edit_user1->text() + " /delete" +
                        (CB_user->checked() ? " /domain" : ""));
        break;
      default:
        break;  // no operation chosen yet
    }
  }

 private:
  // The account and its password, then each ticked option in a fixed
  // order, whatever its field holds and whether or not it is on view.
  std::string addLine() const {
    std::string line = "net user " + Edit_user1->text() + " " +
                       Edit_user2->text() + " /add";
    if (CB_user01->checked()) line += " /active:" + CMB_user01->text();
    if (CB_user02->checked()) line += " /countrycode:" + Edit_user0->text();
    if (CB_user03->checked())
      line += " /comment:\"" + Edit_user3->text() + "\"";
    if (CB_user04->checked())
      line += Edit_user4->text().empty() ? " /expires:NEVER"
                                         : " /expires:" + Edit_user4->text();
    if (CB_user05->checked())
      line += " /fullname:\"" + Edit_user5->text() + "\"";
    if (CB_user06->checked()) line += " /homedir:" + Edit_user6->text();
    if (CB_user07->checked()) line += " /profilepath:" + Edit_user7->text();
    if (CB_user08->checked()) line += " /scriptpath:" + Edit_user8->text();
    if (CB_user09->checked()) line += " /passwordchg:" + CMB_user02->text();
    if (CB_user10->checked()) line += " /passwordreq:" + CMB_user03->text();
    if (CB_user11->checked()) line += logonHours();
    if (CB_user12->checked()) line += " /usercomment:" + Edit_user11->text();
    if (CB_user13->checked())
      line += Edit_user12->text().empty()
                  ? " /workstations:*"
                  : " /workstations:" + Edit_user12->text();
    if (CB_user->checked()) line += " /domain";
    return line;
  }

  // The end hour counts only when typed; the start hour goes in as it is.
  std::string logonHours() const {
    std::string hours = Edit_user9->text();
    if (OptionArea::filled(*Edit_user10, kHour))
      hours += "-" + Edit_user10->text();
    std::string days = CMB_user05->text();
    if (!CB_user11_0->checked()) days += "-" + CMB_user06->text();
    switch (CMB_user04->itemIndex()) {
      case kAnyTime: return " /TIMES:ALL";
      case kHours: return " /TIMES:" + hours;
      case kDays: return " /TIMES:" + days;
      case kHoursAndDays: return " /TIMES:" + hours + "," + days;
      case kNever: return " /TIMES:";
      default: return "";  // no mode chosen yet
    }
  }

  // Edit_user1Enter, Edit_user2Enter, Edit_user0Enter, Edit_user6Enter to
  // Edit_user8Enter, Edit_user9Enter, Edit_user10Enter, Edit_user12Enter:
  // entering the field empties it, whatever it holds.
  form::Handler emptiedOnEnter(Control*& field) {
    return [&field] { field->setText(""); };
  }

  Control* add(const form::Decl& d) { return &page_.main().form().add(d); }

  // An option's check box at the start of a row.
  Control* option(const char* name, const char* parent, const char* caption,
                  int left, int top, int width = 80) {
    return add({.name = name, .kind = Kind::CheckBox, .parent = parent,
                .text = caption, .bounds = {left, top + 2, width, 17}});
  }
  Control* yesNo(const char* name, const char* parent, int left, int top) {
    return add({.name = name, .kind = Kind::ComboBox, .parent = parent,
                .bounds = {left, top, 56, 20}, .items = {"Yes", "No"},
                .itemIndex = 0});
  }
  Control* days(const char* name, int left, int top) {
    return add({.name = name, .kind = Kind::ComboBox, .parent = "TS_Select4",
                .bounds = {left, top, 52, 20},
                .items = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"},
                .itemIndex = 0, .visible = false});
  }
  Control* label(const char* name, const char* parent, const char* caption,
                 form::Rect bounds, bool visible, form::Font font = {}) {
    return add({.name = name, .kind = Kind::Label, .parent = parent,
                .text = caption, .bounds = bounds, .visible = visible,
                .font = font});
  }

  // Page "user": the operation and the account on top, the eight account
  // options in two columns below, the page turn at the bottom right.
  void declareUserPage() {
    const char* p = "TS_Select3";
    TS_Select3 = add({.name = p, .kind = Kind::Page, .parent = "PageControl4",
                      .text = "user"});
    RG_user = add({.name = "RG_user", .kind = Kind::RadioGroup, .parent = p,
                   .bounds = {4, 0, 204, 36}, .style = {.columns = 3},
                   .items = {"一覧", "追加", "削除"},
                   .onClick = [this] { RG_userClick(); }});
    CB_user = option("CB_user", p, "ドメイン", 220, 14);
    Edit_user1 = add({.name = "Edit_user1", .kind = Kind::Edit, .parent = p,
                      .text = kUserName, .bounds = {4, 40, 156, 20},
                      .onEnter = emptiedOnEnter(Edit_user1)});
    // Shown in clear: the user reads back what goes into the line.
    Edit_user2 = add({.name = "Edit_user2", .kind = Kind::Edit, .parent = p,
                      .text = kPassword, .bounds = {166, 40, 156, 20},
                      .onEnter = emptiedOnEnter(Edit_user2)});

    constexpr int kRight = 166;  // second column
    constexpr int kField = 82;   // a field beside its box
    constexpr int kRightField = kRight + 86;  // room for "homeのﾊﾟｽ"
    auto row = [](int k) { return 64 + k * 22; };
    auto edit = [&](const char* name, int left, int top, const char* preset,
                    Control** clearedOnEnter, int width = 74) {
      return add({.name = name, .kind = Kind::Edit, .parent = p,
                  .text = preset, .bounds = {left, top, width, 20},
                  .onEnter = clearedOnEnter ? emptiedOnEnter(*clearedOnEnter)
                                            : form::Handler{}});
    };
    CB_user01 = option("CB_user01", p, "アカウント", 4, row(0));
    CMB_user01 = yesNo("CMB_user01", p, 4 + kField, row(0));
    CB_user02 = option("CB_user02", p, "国名ｺｰﾄﾞ", 4, row(1));
    Edit_user0 = edit("Edit_user0", 4 + kField, row(1), "392", &Edit_user0, 40);
    CB_user03 = option("CB_user03", p, "コメント", 4, row(2));
    Edit_user3 = edit("Edit_user3", 4 + kField, row(2), "", nullptr);
    CB_user04 = option("CB_user04", p, "有効期限", 4, row(3));
    // The date keeps its pattern when entered: it shows how to write it.
    Edit_user4 = edit("Edit_user4", 4 + kField, row(3), "yy/mm/dd", nullptr);
    label("Label19", p, "有効期限なしは空白", {4 + kField, row(4), 90, 12},
          true, kSmall);
    CB_user05 = option("CB_user05", p, "ﾌﾙﾈｰﾑ", kRight, row(0));
    Edit_user5 = edit("Edit_user5", kRightField, row(0), "", nullptr, 70);
    CB_user06 = option("CB_user06", p, "homeのﾊﾟｽ", kRight, row(1), 86);
    Edit_user6 =
        edit("Edit_user6", kRightField, row(1), "パス名", &Edit_user6, 70);
    CB_user07 = option("CB_user07", p, "ﾌﾟﾛﾌｧｲﾙ", kRight, row(2));
    Edit_user7 =
        edit("Edit_user7", kRightField, row(2), "パス名", &Edit_user7, 70);
    CB_user08 = option("CB_user08", p, "スクリプト", kRight, row(3));
    Edit_user8 =
        edit("Edit_user8", kRightField, row(3), "パス名", &Edit_user8, 70);
    add({.name = "btnNext", .kind = Kind::Button, .parent = p,
         .text = "次ページ", .bounds = {242, 156, 80, 23},
         .onClick = [this] { btnNextClick(); }});
  }

  // Page "user2": password rules, logon hours with their hour and day
  // ranges, the user comment and the workstations, the page turn back.
  void declareUser2Page() {
    const char* p = "TS_Select4";
    TS_Select4 = add({.name = p, .kind = Kind::Page, .parent = "PageControl4",
                      .text = "user2"});
    CB_user09 = option("CB_user09", p, "PWD変更", 4, 4, 70);
    CMB_user02 = yesNo("CMB_user02", p, 76, 4);
    CB_user10 = option("CB_user10", p, "PWD必要", 166, 4, 70);
    CMB_user03 = yesNo("CMB_user03", p, 238, 4);

    CB_user11 = option("CB_user11", p, "ﾛｸﾞｵﾝ時間", 4, 28);
    // It shows its first mode without choosing it: until the user picks a
    // mode, the logon-hours option adds nothing to the line.
    CMB_user04 = add({.name = "CMB_user04", .kind = Kind::ComboBox,
                      .parent = p, .text = "制限なし",
                      .bounds = {86, 28, 92, 20},
                      .items = {"制限なし", "時間制限", "曜日制限", "時間+曜日",
                                "ﾛｸﾞｵﾝ不可"},
                      .onChange = [this] { CMB_user04Change(); }});
    auto hour = [&](const char* name, int left, Control*& field) {
      return add({.name = name, .kind = Kind::Edit, .parent = p,
                  .text = kHour, .bounds = {left, 52, 28, 20},
                  .visible = false, .onEnter = emptiedOnEnter(field)});
    };
    Edit_user9 = hour("Edit_user9", 22, Edit_user9);
    Label26 = label("Label26", p, "-", {54, 55, 8, 14}, false);
    Edit_user10 = hour("Edit_user10", 64, Edit_user10);
    Label20 = label("Label20", p, "終了時刻は記入なしでもＯＫ",
                    {98, 56, 140, 12}, false, kSmall);
    CMB_user05 = days("CMB_user05", 22, 76);
    Label27 = label("Label27", p, "-", {78, 79, 8, 14}, false);
    CMB_user06 = days("CMB_user06", 88, 76);
    CB_user11_0 = add({.name = "CB_user11_0", .kind = Kind::CheckBox,
                       .parent = p, .text = "終了曜日なし",
                       .bounds = {148, 78, 96, 16}, .visible = false,
                       .font = kSmall});

    CB_user12 = option("CB_user12", p, "管理者ｺﾒﾝﾄ", 4, 102);
    Edit_user11 = add({.name = "Edit_user11", .kind = Kind::Edit, .parent = p,
                       .bounds = {86, 102, 236, 20}});
    CB_user13 = option("CB_user13", p, "ﾈｯﾄﾜｰｸにﾛｸﾞｵﾝするPCの指定 All は空白",
                       4, 126, 318);
    Edit_user12 = add({.name = "Edit_user12", .kind = Kind::Edit, .parent = p,
                       .text = "コンピュータ名", .bounds = {22, 150, 200, 20},
                       .onEnter = emptiedOnEnter(Edit_user12)});
    add({.name = "btnPre", .kind = Kind::Button, .parent = p,
         .text = "前ページ", .bounds = {242, 156, 80, 23},
         .onClick = [this] { btnPreClick(); }});
  }

  NetPage& page_;
  OptionArea& area_;
  // TS_Select3
  Control* TS_Select3 = nullptr;
  Control* RG_user = nullptr;
  Control* CB_user = nullptr;
  Control* Edit_user1 = nullptr;
  Control* Edit_user2 = nullptr;
  Control* CB_user01 = nullptr;
  Control* CMB_user01 = nullptr;
  Control* CB_user02 = nullptr;
  Control* Edit_user0 = nullptr;
  Control* CB_user03 = nullptr;
  Control* Edit_user3 = nullptr;
  Control* CB_user04 = nullptr;
  Control* Edit_user4 = nullptr;
  Control* CB_user05 = nullptr;
  Control* Edit_user5 = nullptr;
  Control* CB_user06 = nullptr;
  Control* Edit_user6 = nullptr;
  Control* CB_user07 = nullptr;
  Control* Edit_user7 = nullptr;
  Control* CB_user08 = nullptr;
  Control* Edit_user8 = nullptr;
  // TS_Select4
  Control* TS_Select4 = nullptr;
  Control* CB_user09 = nullptr;
  Control* CMB_user02 = nullptr;
  Control* CB_user10 = nullptr;
  Control* CMB_user03 = nullptr;
  Control* CB_user11 = nullptr;
  Control* CMB_user04 = nullptr;
  Control* Edit_user9 = nullptr;
  Control* Label26 = nullptr;
  Control* Edit_user10 = nullptr;
  Control* Label20 = nullptr;
  Control* CMB_user05 = nullptr;
  Control* Label27 = nullptr;
  Control* CMB_user06 = nullptr;
  Control* CB_user11_0 = nullptr;
  Control* CB_user12 = nullptr;
  Control* Edit_user11 = nullptr;
  Control* CB_user13 = nullptr;
  Control* Edit_user12 = nullptr;
};

}  // namespace

std::unique_ptr<Family> makeUserCommands(NetPage& page) {
  return std::make_unique<UserCommands>(page);
}

}  // namespace velquin::net
