#include "results/data_page.h"

namespace velquin::results {

using form::Align;
using form::Kind;

// The controls the handlers use, found once the page is declared: a
// misspelt name stops the program at start-up, not at the user's click.
struct DataPage::Controls {
  form::Control& Memo1;
  form::Control& Memo0;
  form::Control& Edit_Chk;
  form::Control& btnAddInp;
  form::Control& btnClear;
  form::Control& btnSave;
  form::Control& btnNreInp;
};

DataPage::DataPage(app::TfrmMain& main) : main_(main) {
  form::Form& f = main_.form();
  f.add({.name = "Panel6", .kind = Kind::Panel, .parent = "TabSheet3",
         .bounds = {0, 0, 0, 24},
         .style = {.align = Align::Top, .bevel = false}});
  // With nothing kept only keeping anew makes sense; Act_Memo_Chk keeps
  // these four in step with Memo1 from then on.
  f.add({.name = "btnNreInp", .kind = Kind::Button, .parent = "Panel6",
         .text = "&N 新規書込", .bounds = {2, 1, 88, 23},
         .action = "Act_btnNewInp"});
  f.add({.name = "btnAddInp", .kind = Kind::Button, .parent = "Panel6",
         .text = "&A 追加書込", .bounds = {94, 1, 88, 23}, .enabled = false,
         .action = "Act_btnAddInp"});
  f.add({.name = "btnClear", .kind = Kind::Button, .parent = "Panel6",
         .text = "&C クリア", .bounds = {186, 1, 88, 23}, .enabled = false,
         .action = "Act_btnClear"});
  f.add({.name = "btnSave", .kind = Kind::Button, .parent = "Panel6",
         .text = "&S 保存", .bounds = {278, 1, 88, 23}, .enabled = false,
         .action = "Act_btnSave"});
  f.add({.name = "Edit_Chk", .kind = Kind::Edit, .parent = "Panel6",
         .text = "0", .bounds = {372, 2, 16, 20}, .visible = false});
  f.add({.name = "Memo1", .kind = Kind::Memo, .parent = "TabSheet3",
         .style = {.align = Align::Client,
                   .scrollBars = form::ScrollBars::Both}});

  f.addAction({"Act_btnNewInp", "選択&表示", "&N 新規書込",
               [this] { Act_btnNewInpExecute(); }});
  f.addAction({"Act_btnAddInp", "選択&表示", "&A 追加書込",
               [this] { Act_btnAddInpExecute(); }});
  f.addAction({"Act_btnClear", "選択&表示", "&C クリア",
               [this] { Act_btnClearExecute(); }});
  f.addAction({"Act_btnSave", "選択&表示", "&S 保存",
               [this] { Act_btnSaveExecute(); }});
  f.addAction({"Act_Memo_Chk", "初期設定", "",
               [this] { Act_Memo_ChkExecute(); }});

  f["TabSheet3"].onShow = [this] { TabSheet3Show(); };
  f["TabSheet3"].onResize = [this] { TabSheet3Resize(); };
  f["btnSave2"].onClick = [this] { btnSave2Click(); };

  saveDialog1_.filter =
      "テキスト|*.txt|カンマ区切り|*.csv|すべてのファイル|*.*";
  saveDialog1_.filterIndex = 1;
  // Replacing a file that exists is asked about in the dialog itself.
  saveDialog1_.askBeforeReplace = true;
  c_.reset(new Controls{main_["Memo1"], main_["Memo0"], main_["Edit_Chk"],
                        main_["btnAddInp"], main_["btnClear"],
                        main_["btnSave"], main_["btnNreInp"]});
}

void DataPage::Act_btnNewInpExecute() {
  c_->Memo1.setText(c_->Memo0.text());
  main_.form().execute("Act_Memo_Chk");
}

void DataPage::Act_btnAddInpExecute() {
  appendResult();
  main_.form().execute("Act_Memo_Chk");
}

void DataPage::Act_btnClearExecute() {
  c_->Memo1.setText("");
  main_.form().execute("Act_Memo_Chk");
}

void DataPage::Act_btnSaveExecute() {
  // A failed write leaves the buttons as they were, so the user can simply
  // save again elsewhere.
  if (saveMemoAs(c_->Memo1) == SaveOutcome::Failed) return;
  main_.form().execute("Act_Memo_Chk");
}

void DataPage::Act_Memo_ChkExecute() {
  form::Control& chk = c_->Edit_Chk;
  chk.setText(c_->Memo1.text().empty() ? "0" : "1");
  const bool kept = chk.text() != "0";
  c_->btnAddInp.setEnabled(kept);
  c_->btnClear.setEnabled(kept);
  c_->btnSave.setEnabled(kept);
  c_->btnNreInp.setEnabled(!kept);
}

void DataPage::TabSheet3Show() { main_.form().execute("Act_Memo_Chk"); }

void DataPage::TabSheet3Resize() { main_.form().execute("Act_Memo_Chk"); }

void DataPage::btnSave2Click() {
  form::Control& memo1 = c_->Memo1;
  if (memo1.text().empty()) {
    memo1.setLines(c_->Memo0.lines());
    return;
  }
  if (main_.platform().askYesNo("書込", "追加書込を行いますか？")) {
    appendResult();
  } else {
    memo1.setLines(c_->Memo0.lines());
  }
}

void DataPage::appendResult() {
  form::Control& memo1 = c_->Memo1;
  // Appended rather than set anew: the kept results can grow large over a
  // batch, and the native control takes an append without a full redraw.
  std::string more(kResultSeparator);
  more += c_->Memo0.text();
  memo1.append(more);
  // The program wrote this text, not the user.
  memo1.setModified(false);
}

platform::IoResult DataPage::writeLines(const std::string& path,
                                        const form::Control& memo,
                                        bool* lossy) {
  std::string text;
  for (const std::string& line : memo.lines()) {
    text += line;
    text += "\r\n";
  }
  return main_.platform().writeTextFile(path, text, lossy);
}

DataPage::SaveOutcome DataPage::saveMemoAs(form::Control& memo) {
  platform::Platform& os = main_.platform();
  if (!os.saveDialog(saveDialog1_)) return SaveOutcome::Cancelled;
  const std::string path = saveDialog1_.fileName;
  main_.form().setCaption(path);
  bool lossy = false;
  platform::IoResult r = writeLines(path, memo, &lossy);
  if (!r.ok) {
    os.showMessage(r.message);
    return SaveOutcome::Failed;
  }
  // Text that the file could not hold exactly stays marked as changed.
  memo.setModified(lossy);
  if (lossy) tellLossy({path});
  return SaveOutcome::Saved;
}

void DataPage::tellLossy(const std::vector<std::string>& paths) {
  if (paths.empty()) return;
  std::string text = kLossyNote;
  for (const std::string& p : paths) text += "\r\n" + p;
  main_.platform().showMessage(text);
}

DataPage::~DataPage() = default;

}  // namespace velquin::results
