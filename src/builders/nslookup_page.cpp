#include "builders/nslookup_page.h"

namespace velquin::builders {

using form::Kind;

namespace {
constexpr const char* kQueryName = "問合せ名";
constexpr const char* kServerName = "サーバー名";
constexpr const char* kUserName = "ユーザ名";
}  // namespace

// The controls the handlers use, found once the page is declared: a
// misspelt name stops the program at start-up, not at the user's click.
struct NslookupPage::Controls {
  form::Control& Edit_lookup1;
  form::Control& Edit_lookup2;
  form::Control& cmblookup2;
  form::Control& cmblookup1;
  form::Control& Edit11;
  form::Control& cmblookup3;
  form::Control& Label31;
  form::Control& Edit1;
};

NslookupPage::NslookupPage(app::TfrmMain& main) : main_(main) {
  form::Form& f = main_.form();
  f.add({.name = "TS_nslookup", .kind = Kind::Page, .parent = "PageControl2",
         .text = "nslookup"});

  f.add({.name = "Label29", .kind = Kind::Label, .parent = "TS_nslookup",
         .text = "nslookup のコマンド選択", .bounds = {8, 10, 160, 14}});
  f.add({.name = "cmblookup1", .kind = Kind::ComboBox, .parent = "TS_nslookup",
         .bounds = {8, 26, 300, 20},
         .items = {"set オプション", "IPアドレスorドメイン名を問合せる",
                   "サーバを指定して問合せる",
                   "DNSサーバを変更、IPは現在のサーバで検索",
                   "DNSサーバを変更、IPは起動時のサーバで検索",
                   "ドメインに関する情報一覧表示",
                   "デフォルトサーバにユーザ情報を問合せる",
                   "デフォルトサーバをルートサーバに設定する"},
         .itemIndex = 0,
         .onChange = [this] { Act_cmb1_SelectExecute(); }});
  // The query and server fields share their row with the set options: a
  // change of command kind shows either the fields or the option list.
  f.add({.name = "Edit_lookup1", .kind = Kind::Edit, .parent = "TS_nslookup",
         .text = kQueryName, .bounds = {8, 60, 150, 20}, .visible = false,
         .onEnter = [this] { Edit_lookup1Enter(); }});
  // The form's own preset is spelt without the long-vowel mark; the
  // placeholder written by a pick has it.
  f.add({.name = "Edit_lookup2", .kind = Kind::Edit, .parent = "TS_nslookup",
         .text = "サーバ名", .bounds = {166, 60, 150, 20}, .visible = false,
         .onEnter = [this] { Edit_lookup2Enter(); }});
  f.add({.name = "cmblookup2", .kind = Kind::ComboBox, .parent = "TS_nslookup",
         .bounds = {8, 60, 310, 20},
         .items = {"デフォルトサーバと全てのオプションの設定情報を表示",
                   "デバッグ情報を表示する", "詳細なデバッグ情報を表示する",
                   "問合せにデフォルトドメイン名を付加える",
                   "DNSサーバに情報が無い場合、上位サーバに問合せる",
                   "ドメインサーチリストを使う", "TCP接続によって検索する",
                   "デフォルトのドメイン名を設定する",
                   "ルートサーバをNAMEに設定する", "リトライする回数を指定する",
                   "タイムアウトするまでの時間", "問い合わせのタイプを指定する",
                   "検索するレコードクラスを設定する",
                   "高速ゾーン転送モードを使う",
                   "差分ゾーン転送モードを使い、現在のナンバーを指定"},
         .itemIndex = 0, .visible = false,
         .onChange = [this] { Act_cmb2_SelectExecute(); }});
  // The yes/No choice and the value field take turns beside the option.
  f.add({.name = "cmblookup3", .kind = Kind::ComboBox, .parent = "TS_nslookup",
         .bounds = {326, 60, 64, 20}, .items = {"yes", "No"}, .itemIndex = 0,
         .visible = false});
  f.add({.name = "Edit11", .kind = Kind::Edit, .parent = "TS_nslookup",
         .bounds = {326, 60, 70, 20}, .visible = false});
  f.add({.name = "Label31", .kind = Kind::Label, .parent = "TS_nslookup",
         .bounds = {402, 63, 130, 14}});
  f.add({.name = "Button6", .kind = Kind::Button, .parent = "TS_nslookup",
         .text = "&S 確　定", .bounds = {8, 98, 84, 23},
         .action = "Act_btnlookup_Set"});

  f.addAction({"Act_cmb1_Select", "lookup", "",
               [this] { Act_cmb1_SelectExecute(); }});
  f.addAction({"Act_cmb2_Select", "lookup", "",
               [this] { Act_cmb2_SelectExecute(); }});
  f.addAction({"Act_btnlookup_Set", "lookup", "&S 確　定",
               [this] { Act_btnlookup_SetExecute(); }});
  c_.reset(new Controls{main_["Edit_lookup1"], main_["Edit_lookup2"],
      main_["cmblookup2"], main_["cmblookup1"], main_["Edit11"],
      main_["cmblookup3"], main_["Label31"], main_["Edit1"]});
}

void NslookupPage::Act_cmb1_SelectExecute() {
  form::Control& query = c_->Edit_lookup1;
  form::Control& server = c_->Edit_lookup2;
  form::Control& option = c_->cmblookup2;
  query.setVisible(false);
  server.setVisible(false);
  option.setVisible(false);
  // Kind 7 (root) takes no input, and free text typed into the box (-1)
  // shows nothing either.
  const int kind = c_->cmblookup1.itemIndex();
  if (kind == 0) option.setVisible(true);
  if (kind == 1 || kind == 3 || kind == 4 || kind == 5) {
    query.setText(kQueryName);
    query.setVisible(true);
  }
  if (kind == 2) {
    query.setText(kQueryName);
    server.setText(kServerName);
    query.setVisible(true);
    server.setVisible(true);
  }
  if (kind == 6) {
    query.setText(kUserName);
    query.setVisible(true);
  }
}

void NslookupPage::Act_cmb2_SelectExecute() {
  form::Control& value = c_->Edit11;
  form::Control& yesNo = c_->cmblookup3;
  form::Control& note = c_->Label31;
  value.setVisible(false);
  yesNo.setVisible(false);
  note.setVisible(false);
  const int option = c_->cmblookup2.itemIndex();
  // On/off options keep the yes/No choice the user made before.
  if (option >= 1 && option <= 6) yesNo.setVisible(true);
  if (option == 9) {
    note.setText("回");
    value.setText("64");
  }
  if (option == 10) {
    note.setText("秒");
    value.setText("5");
  }
  // The record type keeps whatever value an earlier option left.
  if (option == 11) note.setText("A,CNAME,MX,NS,PTR,SOA");
  if (option == 14) {
    note.setText("シリアルナンバー");
    value.setText("");
  }
  if (option == 9 || option == 10 || option == 11 || option == 14) {
    note.setVisible(true);
    value.setVisible(true);
  }
  if (option == 12) {
    value.setText("IN");
    value.setVisible(true);
  }
}

void NslookupPage::Edit_lookup1Enter() { c_->Edit_lookup1.setText(""); }

void NslookupPage::Edit_lookup2Enter() { c_->Edit_lookup2.setText(""); }

void NslookupPage::Act_btnlookup_SetExecute() {
  // The user picks the command kind again to see these fields.
  c_->Edit_lookup1.setVisible(false);
  c_->Edit_lookup2.setVisible(false);
  c_->cmblookup2.setVisible(false);
  const std::optional<std::string> line =
      c_->cmblookup1.itemIndex() == 0 ? setCommand() : queryCommand();
  if (line) c_->Edit1.setText(*line);
}

std::optional<std::string> NslookupPage::setCommand() const {
  // The query name ends every set command, although its field is hidden
  // while "set オプション" is chosen: it holds what the last query kind or
  // the user left there.
  const std::string l1 = c_->Edit_lookup1.text();
  const std::string v = c_->Edit11.text();
  const int option = c_->cmblookup2.itemIndex();
  const int yesNo = c_->cmblookup3.itemIndex();
  auto onOff = [&](const char* yes, const char* no)
      -> std::optional<std::string> {
    if (yesNo == 0) return yes + l1;
    if (yesNo == 1) return no + l1;
    return std::nullopt;
  };
  if (option == 0) return "nslookup set all";
  if (option == 1) return onOff("nslookup set debug ", "nslookup set nodebug ");
  if (option == 2) return onOff("nslookup set d2 ", "nslookup set nod2 ");
  if (option == 3)
    return onOff("nslookup set defname ", "nslookup set nodefname ");
  if (option == 4)
    return onOff("nslookup set recurse ", "nslookup set norecurse ");
  if (option == 5)
    return onOff("nslookup set search ", "nslookup set nosearch ");
  if (option == 6) return onOff("nslookup set vc ", "nslookup set novc ");
  // Domain and root have no "no" form: "No" writes nothing.
  if (option == 7 && yesNo == 0) return "nslookup set domain=" + l1;
  if (option == 8 && yesNo == 0) return "nslookup set root=" + l1;
  if (option == 9) return "nslookup set retry=" + v + " " + l1;
  if (option == 10) return "nslookup set timeout=" + v + " " + l1;
  if (option == 11) return "nslookup set type=" + v + " " + l1;
  if (option == 12) return "nslookup set class=" + v + " " + l1;
  if (option == 13)
    return onOff("nslookup set msxfr ", "nslookup set nomsxfr ");
  if (option == 14) return "nslookup set ixfrver=" + v + " " + l1;
  return std::nullopt;
}

std::optional<std::string> NslookupPage::queryCommand() const {
  const std::string l1 = c_->Edit_lookup1.text();
  const std::string l2 = c_->Edit_lookup2.text();
  const int kind = c_->cmblookup1.itemIndex();
  if (kind == 1) return "nslookup " + l1;
  if (kind == 2) return "nslookup " + l1 + " " + l2;
  if (kind == 3) return "nslookup server " + l1;
  if (kind == 4) return "nslookup lserver " + l1;
  if (kind == 5) return "nslookup ls " + l1;
  if (kind == 6) return "nslookup finger " + l1;
  if (kind == 7) return "nslookup root";
  return std::nullopt;
}

NslookupPage::~NslookupPage() = default;

}  // namespace velquin::builders
