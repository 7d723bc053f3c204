#include "form/output_doc.h"

namespace velquin::form {

void OutputDoc::reset() {
  ++textsSet_;
  text_.reset();
  times_.reset(text_, now());
  finder_.reset();
  changes_.clear();
  told();
  kick();
}

void OutputDoc::appended() {
  text_.appended();
  times_.appended(text_, now());
  finder_.appended();
  told();
  kick();
}

void OutputDoc::find(std::string_view word, bool matchCase) {
  finder_.setQuery(word, matchCase);
  show(false);
  kick();
}

void OutputDoc::findMore() {
  if (!finder_.pending()) return;
  finder_.more();
  if (onFindProgress) onFindProgress();
  kick();
}

int OutputDoc::listen(std::function<void()> listener) {
  listeners_.emplace_back(++nextListener_, std::move(listener));
  return nextListener_;
}

void OutputDoc::unlisten(int id) {
  std::erase_if(listeners_, [id](const auto& l) { return l.first == id; });
}

void OutputDoc::told() {
  for (size_t i = 0; i < listeners_.size(); ++i) listeners_[i].second();
}

std::vector<OutputDoc::MenuEntry> OutputDoc::menu() const {
  std::vector<MenuEntry> entries;
  for (const MenuItem& m : menu_) {
    if (m.shown && !m.shown()) continue;
    entries.push_back({m.caption, m.action, m.checked && m.checked(),
                       !m.enabled || m.enabled(), m.separatorBefore});
  }
  return entries;
}

void OutputDoc::setMarks(bool on) {
  if (marks_ == on) return;
  marks_ = on;
  show(false);
}

void OutputDoc::setShowTimes(bool on) {
  if (showTimes_ == on) return;
  showTimes_ = on;
  show(false);
}

void OutputDoc::selectFound(size_t begin, size_t end) {
  text_.select(begin, end);
  show(true);
}

}  // namespace velquin::form
