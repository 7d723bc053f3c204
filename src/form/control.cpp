#include "form/control.h"

#include <algorithm>

#include "form/form.h"
#include "form/output_doc.h"

namespace velquin::form {

Control::Control(Form& form, std::string name, Kind kind, Control* parent)
    : form_(form), name_(std::move(name)), kind_(kind), parent_(parent) {
  if (parent_) parent_->children_.push_back(this);
}

Control::~Control() = default;

const std::string& Control::text() const {
  if (textStale_) {
    textStale_ = false;
    if (form_.view()) text_ = form_.view()->readText(*this);
  }
  return text_;
}

void Control::setText(std::string text) {
  // The output view's text set again, even to what it holds, is a new run:
  // its line times, selection and matches start afresh.
  if (!textStale_ && text_ == text && !doc_) return;
  textStale_ = false;
  text_ = std::move(text);
  ++textVersion_;
  // Like the native edit control, a new text from the program is unmodified.
  if (kind_ == Kind::Memo) modified_ = false;
  if (kind_ == Kind::ComboBox) {
    auto it = std::find(items_.begin(), items_.end(), text_);
    itemIndex_ = it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
  }
  if (doc_) doc_->reset();
  notify(Prop::Text);
}

void Control::userSetText(std::string text) {
  if (!textStale_ && text_ == text) return;
  textStale_ = false;
  text_ = std::move(text);
  ++textVersion_;
  if (kind_ == Kind::Memo) modified_ = true;
  // Free text typed into a combo box leaves no item chosen.
  if (kind_ == Kind::ComboBox) itemIndex_ = -1;
  if (doc_) doc_->reset();
  if (onChange) onChange();
}

void Control::markTextStale() {
  textStale_ = true;
  ++textVersion_;
  modified_ = true;
}

void Control::setVisible(bool on) {
  if (visible_ == on) return;
  visible_ = on;
  notify(Prop::Visible);
  form_.relayout();
  if (form_.focused_ && !form_.focused_->showing()) form_.focused_ = nullptr;
}

void Control::setEnabled(bool on) {
  if (enabled_ == on) return;
  enabled_ = on;
  notify(Prop::Enabled);
  if (form_.focused_ && !form_.focused_->enabledInTree())
    form_.focused_ = nullptr;
}

bool Control::showing() const {
  for (const Control* c = this; c; c = c->parent_) {
    if (!c->visible_) return false;
    if (c->kind_ == Kind::Page && c->parent_ &&
        c->parent_->activePage() != c)
      return false;
  }
  return true;
}

bool Control::enabledInTree() const {
  for (const Control* c = this; c; c = c->parent_)
    if (!c->enabled_) return false;
  return true;
}

void Control::setChecked(bool on) {
  if (checked_ == on) return;
  checked_ = on;
  notify(Prop::Checked);
}

void Control::setItemIndex(int index) {
  if (index < -1) index = -1;
  if (index >= static_cast<int>(items_.size()))
    index = static_cast<int>(items_.size()) - 1;
  if (index == itemIndex_) return;
  itemIndex_ = index;
  if (kind_ == Kind::ComboBox) {
    text_ = index >= 0 ? items_[index] : std::string();
    textStale_ = false;
    ++textVersion_;
    notify(Prop::ItemIndex);
    return;
  }
  notify(Prop::ItemIndex);
  if (kind_ == Kind::RadioGroup && index >= 0) runClick();
}

void Control::clearItems() {
  if (items_.empty() && itemIndex_ < 0 && text_.empty()) return;
  items_.clear();
  itemIndex_ = -1;
  text_.clear();
  textStale_ = false;
  notify(Prop::Items);
}

void Control::setItems(std::vector<std::string> items) {
  if (items == items_ && itemIndex_ < 0 && text_.empty()) return;
  items_ = std::move(items);
  itemIndex_ = -1;
  text_.clear();
  textStale_ = false;
  notify(Prop::Items);
}

void Control::addItem(std::string item) {
  items_.push_back(std::move(item));
  notify(Prop::Items);
}

void Control::setTabVisible(bool on) {
  if (tabVisible_ == on) return;
  tabVisible_ = on;
  notify(Prop::TabVisible);
  form_.relayout();
}

int Control::pageIndex() const {
  if (!parent_ || parent_->kind_ != Kind::PageControl) return -1;
  auto pages = parent_->pages();
  auto it = std::find(pages.begin(), pages.end(), this);
  return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
}

std::vector<Control*> Control::pages() const {
  std::vector<Control*> out;
  for (Control* c : children_)
    if (c->kind_ == Kind::Page) out.push_back(c);
  return out;
}

Control* Control::activePage() const {
  auto p = pages();
  if (activePage_ < 0 || activePage_ >= static_cast<int>(p.size()))
    return nullptr;
  return p[activePage_];
}

void Control::setActivePageIndex(int index) {
  auto p = pages();
  if (index < -1 || index >= static_cast<int>(p.size())) return;
  if (index == activePage_) return;
  activePage_ = index;
  notify(Prop::ActivePage);
  if (index >= 0) form_.pageBecameActive(*p[index]);
}

void Control::setActivePage(Control& page) {
  int i = page.pageIndex();
  if (page.parent_ == this && i >= 0) setActivePageIndex(i);
}

void Control::setBounds(Rect r) {
  design_ = r;
  if (bounds_ == r) return;
  bounds_ = r;
  notify(Prop::Bounds);
}

std::vector<std::string> Control::lines() const {
  std::vector<std::string> out;
  const std::string& t = text();
  size_t start = 0;
  while (start < t.size()) {
    size_t end = t.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      out.push_back(t.substr(start));
      break;
    }
    out.push_back(t.substr(start, end - start));
    // CR LF, a lone CR and a lone LF each end one line.
    start = (t[end] == '\r' && end + 1 < t.size() && t[end + 1] == '\n')
                ? end + 2
                : end + 1;
  }
  return out;
}

void Control::setLines(const std::vector<std::string>& lines) {
  std::string t;
  for (const auto& l : lines) {
    t += l;
    t += "\r\n";
  }
  setText(std::move(t));
}

void Control::append(std::string_view text) {
  if (text.empty()) return;
  // A memo edited natively holds its true text there; the append goes to the
  // native control and the model reads the whole text back when asked.
  if (!textStale_) text_.append(text);
  ++textVersion_;
  if (doc_) doc_->appended();
  if (form_.view()) form_.view()->appended(*this, text);
}

void Control::notify(Prop prop) {
  if (form_.view()) form_.view()->changed(*this, prop);
}

void Control::runClick() {
  // A control bound to an action runs the action in place of its own click.
  if (!action.empty()) {
    form_.execute(action);
  } else if (onClick) {
    onClick();
  }
}

}  // namespace velquin::form
