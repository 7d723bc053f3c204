#include "results/output_find.h"

#include "form/output_doc.h"

namespace velquin::results {

using form::Align;
using form::Kind;

namespace {
constexpr const char* kTimesValue = "output.times";
}

struct OutputFind::Controls {
  form::Control& PanelFind;
  form::Control& EditFind;
  form::Control& LblFind;
  form::Control& CB_FindCase;
  form::Control& Memo0;
};

OutputFind::OutputFind(app::TfrmMain& main)
    : main_(main), doc_(*main["Memo0"].outputDoc()) {
  form::Form& f = main_.form();
  f.add({.name = "PanelFind", .kind = Kind::Panel, .parent = "TabSheet2",
         .bounds = {0, 0, 0, 26}, .style = {.align = Align::Top},
         .visible = false});
  f.add({.name = "EditFind", .kind = Kind::Edit, .parent = "PanelFind",
         .bounds = {4, 3, 180, 20}, .onChange = [this] { EditFindChange(); }});
  f.add({.name = "btnFindPrev", .kind = Kind::Button, .parent = "PanelFind",
         .text = "▲", .bounds = {188, 2, 24, 22}, .action = "Act_FindPrev"});
  f.add({.name = "btnFindNext", .kind = Kind::Button, .parent = "PanelFind",
         .text = "▼", .bounds = {214, 2, 24, 22}, .action = "Act_FindNext"});
  f.add({.name = "LblFind", .kind = Kind::Label, .parent = "PanelFind",
         .bounds = {246, 6, 96, 14}, .style = {.autoSize = false}});
  f.add({.name = "CB_FindCase", .kind = Kind::CheckBox, .parent = "PanelFind",
         .text = "大文字と小文字を区別(&M)", .bounds = {346, 4, 176, 18},
         .onClick = [this] { CB_FindCaseClick(); }});
  f.add({.name = "btnFindClose", .kind = Kind::Button, .parent = "PanelFind",
         .text = "×", .bounds = {528, 2, 22, 22}, .action = "Act_FindClose"});

  f.addAction({"Act_Find", "検索", "検索(&F)...", [this] { Act_FindExecute(); }});
  f.addAction({"Act_FindNext", "検索", "", [this] { Act_FindNextExecute(); }});
  f.addAction({"Act_FindPrev", "検索", "", [this] { Act_FindPrevExecute(); }});
  f.addAction({"Act_FindClose", "検索", "", [this] { Act_FindCloseExecute(); }});
  f.addShortcut("Ctrl+F", "TabSheet2", "Act_Find");
  f.addShortcut("F3", "TabSheet2", "Act_FindNext");
  f.addShortcut("Shift+F3", "TabSheet2", "Act_FindPrev");
  f.addShortcut("Enter", "EditFind", "Act_FindNext");
  f.addShortcut("Shift+Enter", "EditFind", "Act_FindPrev");
  f.addShortcut("Esc", "PanelFind", "Act_FindClose");

  c_.reset(new Controls{f["PanelFind"], f["EditFind"], f["LblFind"],
                        f["CB_FindCase"], f["Memo0"]});
  platform::Platform& os = main_.platform();
  doc_.setClock([&os] { return os.localTimeMs(); });
  // Output that keeps arriving is counted as it comes.
  listener_ = doc_.listen([this] {
    if (c_->PanelFind.visible()) seek();
  });
  doc_.onFindProgress = [this] {
    if (c_->PanelFind.visible()) seek();
  };
}

OutputFind::~OutputFind() {
  doc_.unlisten(listener_);
  doc_.onFindProgress = nullptr;
  doc_.setClock(nullptr);
}

void OutputFind::formShown() {
  doc_.setShowTimes(main_.state().flag(kTimesValue, false));
}

void OutputFind::formClosing() {
  main_.state().setFlag(kTimesValue, doc_.showTimes());
}

void OutputFind::Act_FindExecute() {
  const form::OutputText& t = doc_.text();
  // A selection on one line is what the user wants to find.
  if (t.hasSelection() && t.lineOf(t.selStart()) == t.lineOf(t.selEnd()))
    c_->EditFind.setText(t.selectedText());
  c_->PanelFind.setVisible(true);
  doc_.setMarks(true);
  main_.form().setFocus(c_->EditFind);
  setQuery();
}

void OutputFind::Act_FindNextExecute() {
  form::TextFinder& find = doc_.finder();
  if (find.query().empty()) {  // nothing to repeat yet
    Act_FindExecute();
    return;
  }
  const form::OutputText& t = doc_.text();
  go(find.firstFrom(t.hasSelection() ? t.selStart() + 1 : t.caret()));
}

void OutputFind::Act_FindPrevExecute() {
  form::TextFinder& find = doc_.finder();
  if (find.query().empty()) {
    Act_FindExecute();
    return;
  }
  go(find.lastBefore(doc_.text().selStart()));
}

void OutputFind::Act_FindCloseExecute() {
  c_->PanelFind.setVisible(false);
  doc_.setMarks(false);
  // Output that arrives later is not matched, and the table goes.
  seekFrom_ = form::TextFinder::npos;
  doc_.finder().suspend();
  main_.form().setFocus(c_->Memo0);
}

void OutputFind::EditFindChange() { setQuery(); }

void OutputFind::CB_FindCaseClick() { setQuery(); }

// Finds as the user types: from the start of the selection, so that a
// longer word keeps the match it had as long as it still matches.
void OutputFind::setQuery() {
  doc_.find(c_->EditFind.text(), c_->CB_FindCase.checked());
  seekFrom_ = doc_.finder().query().empty() ? form::TextFinder::npos
                                            : doc_.text().selStart();
  seek();
}

void OutputFind::seek() {
  if (seekFrom_ != form::TextFinder::npos) {
    const size_t found = doc_.finder().foundFrom(seekFrom_);
    if (found != form::TextFinder::npos) {
      seekFrom_ = form::TextFinder::npos;
      go(found);
      return;
    }
    if (!doc_.finder().pending()) seekFrom_ = form::TextFinder::npos;  // none at all
  }
  showCount();
}

void OutputFind::go(size_t index) {
  seekFrom_ = form::TextFinder::npos;
  if (index != form::TextFinder::npos) {
    const form::Match m = doc_.finder()[index];
    doc_.selectFound(m.begin, m.end);
  }
  showCount();
}

void OutputFind::showCount() {
  const form::TextFinder& find = doc_.finder();
  std::string count;
  if (find.query().empty()) {
    count = "";
  } else if (find.count() == 0) {
    count = find.pending() ? "0 / 0+" : kNotFound;
  } else {
    const form::OutputText& t = doc_.text();
    const size_t k = find.indexOf(t.selStart(), t.selEnd());
    // Output that arrived since, while the user looks elsewhere, has no
    // current match: 0 of n.
    // While matching goes on, the count so far: at least this many.
    count = std::to_string(k == form::TextFinder::npos ? 0 : k + 1) + " / " +
            std::to_string(find.count()) + (find.pending() ? "+" : "");
  }
  c_->LblFind.setText(count);
}

}  // namespace velquin::results
