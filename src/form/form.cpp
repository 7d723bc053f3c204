#include "form/form.h"

#include <algorithm>
#include <stdexcept>

#include "form/output_doc.h"

namespace velquin::form {

Form::Form(std::string name) : name_(std::move(name)) {}
Form::~Form() = default;

Control& Form::add(const Decl& d) {
  if (byName_.count(d.name))
    throw std::logic_error("control declared twice: " + d.name);
  Control* parent = nullptr;
  if (!d.parent.empty()) parent = &(*this)[d.parent];
  Control* next = d.before.empty() ? nullptr : &(*this)[d.before];
  if (next && next->parent() != parent)
    throw std::logic_error(d.name + " and " + d.before + " are not siblings");
  auto c = std::make_unique<Control>(*this, d.name, d.kind, parent);
  c->text_ = d.text;
  c->design_ = d.bounds;
  c->bounds_ = d.bounds;
  c->style_ = d.style;
  c->items_ = d.items;
  c->itemIndex_ = d.itemIndex;
  if (d.kind == Kind::ComboBox && d.itemIndex >= 0 &&
      d.itemIndex < static_cast<int>(d.items.size()))
    c->text_ = d.items[d.itemIndex];
  c->visible_ = d.visible;
  c->enabled_ = d.enabled;
  c->checked_ = d.checked;
  c->readOnly_ = d.readOnly;
  c->hint_ = d.hint;
  c->font_ = d.font;
  c->action = d.action;
  c->onClick = d.onClick;
  c->onEnter = d.onEnter;
  c->onChange = d.onChange;
  c->onResize = d.onResize;
  c->onShow = d.onShow;
  if (d.style.outputView) c->doc_ = std::make_unique<OutputDoc>(c->text_);
  Control& ref = *c;
  byName_[d.name] = c.get();
  if (next) {
    // Windows are created in this order, which makes the tab order.
    if (parent) {
      auto& kids = parent->children_;
      kids.pop_back();
      kids.insert(std::find(kids.begin(), kids.end(), next), &ref);
    }
    controls_.insert(std::find_if(controls_.begin(), controls_.end(),
                                  [&](const auto& p) { return p.get() == next; }),
                     std::move(c));
  } else {
    controls_.push_back(std::move(c));
  }
  // The first page of a page control is its active page at start.
  if (ref.kind_ == Kind::Page && parent && parent->kind_ == Kind::PageControl &&
      parent->activePage_ < 0)
    parent->activePage_ = 0;
  return ref;
}

Control& Form::operator[](std::string_view name) const {
  Control* c = find(name);
  if (!c) throw std::out_of_range("no control named " + std::string(name));
  return *c;
}

Control* Form::find(std::string_view name) const {
  auto it = byName_.find(name);
  return it == byName_.end() ? nullptr : it->second;
}

std::vector<Control*> Form::roots() const {
  std::vector<Control*> out;
  for (const auto& c : controls_)
    if (!c->parent()) out.push_back(c.get());
  return out;
}

void Form::addAction(Action action) {
  std::string key = action.name;
  actions_[key] = std::move(action);
}

void Form::checkNames() const {
  for (const auto& c : controls_) {
    if (!c->action.empty() && !findAction(c->action))
      throw std::logic_error(c->name() + " runs the unknown action " +
                             c->action);
    const std::string& target = c->style().focusControl;
    if (!target.empty() && !find(target))
      throw std::logic_error(c->name() + " leads to the unknown control " +
                             target);
  }
  for (const Shortcut& k : shortcuts_)
    if (!find(k.scope) || !findAction(k.action))
      throw std::logic_error(k.key + " names an unknown control or action");
}

const Action* Form::findAction(std::string_view name) const {
  auto it = actions_.find(name);
  return it == actions_.end() ? nullptr : &it->second;
}

void Form::execute(std::string_view name) {
  const Action* a = findAction(name);
  if (!a) throw std::out_of_range("no action named " + std::string(name));
  // Copy: the handler may add actions, which must not pull it from under us.
  Handler h = a->execute;
  if (h) h();
}

void Form::setCaption(std::string caption) {
  if (caption_ == caption) return;
  caption_ = std::move(caption);
  if (view_) view_->windowChanged();
}

void Form::setWindowBounds(Rect r) {
  if (window_ == r) return;
  window_ = r;
  if (view_) view_->windowChanged();
}

void Form::setWindowVisible(bool on) {
  if (windowVisible_ == on) return;
  windowVisible_ = on;
  if (view_) view_->windowChanged();
}

void Form::setClientSize(int width, int height) {
  clientW_ = width;
  clientH_ = height;
  relayout();
}

Rect Form::clientRectOf(const Control& c) const {
  const Rect& b = c.bounds_;
  switch (c.kind_) {
    case Kind::GroupBox:
    case Kind::RadioGroup:
      return {kGroupBorder, kGroupCaption, b.width - 2 * kGroupBorder,
              b.height - kGroupCaption - kGroupBorder};
    case Kind::PageControl: {
      bool anyTab = false;
      for (Control* p : c.pages())
        if (p->tabVisible_) anyTab = true;
      int top = anyTab ? kTabStripHeight + 2 : 2;
      return {2, top, b.width - 4, b.height - top - 2};
    }
    default:
      return {0, 0, b.width, b.height};
  }
}

void Form::relayout() {
  if (clientW_ <= 0 && clientH_ <= 0) return;
  std::vector<Control*> resized;
  layoutChildren(nullptr, {0, 0, clientW_, clientH_}, resized);
  runResize(resized);
}

void Form::layoutChildren(Control* parent, const Rect& area,
                          std::vector<Control*>& resized) {
  Rect rest = area;
  auto place = [&](Control& c, Rect r) {
    if (r.width < 0) r.width = 0;
    if (r.height < 0) r.height = 0;
    bool sizeChanged =
        r.width != c.bounds_.width || r.height != c.bounds_.height;
    if (!(r == c.bounds_)) {
      c.bounds_ = r;
      c.notify(Prop::Bounds);
    }
    if (sizeChanged && c.onResize && c.showing()) resized.push_back(&c);
  };
  const std::vector<Control*> kids = parent ? parent->children_ : roots();
  for (Control* c : kids) {
    if (!c->visible_) continue;
    // Only the active page of a page control is laid out; the others keep
    // their size until they come to the front.
    if (c->kind_ == Kind::Page) {
      if (parent && parent->activePage() != c) continue;
      place(*c, area);
    } else {
      const Rect& d = c->design_;
      switch (c->style_.align) {
        case Align::Top:
          place(*c, {rest.left, rest.top, rest.width, d.height});
          rest.top += d.height;
          rest.height -= d.height;
          break;
        case Align::Bottom:
          place(*c, {rest.left, rest.top + rest.height - d.height, rest.width,
                     d.height});
          rest.height -= d.height;
          break;
        case Align::Left:
          place(*c, {rest.left, rest.top, d.width, rest.height});
          rest.left += d.width;
          rest.width -= d.width;
          break;
        case Align::Right:
          place(*c, {rest.left + rest.width - d.width, rest.top, d.width,
                     rest.height});
          rest.width -= d.width;
          break;
        case Align::Client:
          break;  // placed after the docked ones, below
        case Align::None: {
          int w = c->style_.rightMargin >= 0
                      ? area.width - d.left - c->style_.rightMargin
                      : d.width;
          int h = c->style_.bottomMargin >= 0
                      ? area.height - d.top - c->style_.bottomMargin
                      : d.height;
          place(*c, {area.left + d.left, area.top + d.top, w, h});
          break;
        }
      }
    }
  }
  for (Control* c : kids)
    if (c->visible_ && c->kind_ != Kind::Page &&
        c->style_.align == Align::Client)
      place(*c, rest);
  for (Control* c : kids) {
    if (!c->visible_ || c->children_.empty()) continue;
    if (c->kind_ == Kind::Page && parent && parent->activePage() != c)
      continue;
    Rect inner = clientRectOf(*c);
    // Pages and their contents are positioned relative to the page itself.
    layoutChildren(c, inner, resized);
  }
}

void Form::runResize(std::vector<Control*>& resized) {
  for (Control* c : resized)
    if (c->onResize) c->onResize();
}

void Form::pageBecameActive(Control& page) {
  relayout();
  if (focused_ && !focused_->showing()) focused_ = nullptr;
  if (page.onShow && page.showing()) page.onShow();
}

bool Form::canFocus(const Control& c) const {
  switch (c.kind_) {
    case Kind::Edit:
    case Kind::CheckBox:
    case Kind::RadioGroup:
    case Kind::ComboBox:
    case Kind::Memo:
    case Kind::Button:
    case Kind::PageControl:
    case Kind::List:
      break;
    default:
      return false;
  }
  return c.showing() && c.enabledInTree();
}

bool Form::setFocus(Control& c) {
  if (!canFocus(c)) return false;
  if (focused_ == &c) return true;
  focused_ = &c;
  if (view_) view_->focusMoved(&c);
  if (c.onEnter) c.onEnter();
  return true;
}

std::vector<Control*> Form::tabGroup(const Control& member) const {
  auto inGroup = [](const Control* c) {
    return c->kind_ == Kind::CheckBox && c->style_.tabGroup;
  };
  if (!inGroup(&member) || !member.parent_)
    return {const_cast<Control*>(&member)};
  const auto& kids = member.parent_->children_;
  auto at = std::find(kids.begin(), kids.end(), &member);
  auto first = at, last = at + 1;
  while (first != kids.begin() && inGroup(*(first - 1))) --first;
  while (last != kids.end() && inGroup(*last)) ++last;
  return {first, last};
}

Control* Form::tabStop(const Control& member) const {
  const std::vector<Control*> group = tabGroup(member);
  // Its own state only: a group on a page out of sight keeps its stop.
  auto usable = [](const Control* c) { return c->visible_ && c->enabled_; };
  for (Control* c : group)
    if (c->checked_ && usable(c)) return c;
  for (Control* c : group)
    if (usable(c)) return c;
  return nullptr;
}

void Form::userFocus(Control& c) {
  if (focused_ == &c) return;
  if (!canFocus(c)) {
    focused_ = nullptr;
    return;
  }
  focused_ = &c;
  if (c.onEnter) c.onEnter();
}

void Form::userClick(Control& c) {
  if (!c.showing() || !c.enabledInTree()) return;
  switch (c.kind_) {
    case Kind::Button:
      if (focused_ != &c) setFocus(c);
      c.runClick();
      break;
    case Kind::CheckBox:
      if (focused_ != &c) setFocus(c);
      c.setChecked(!c.checked_);
      c.runClick();
      break;
    case Kind::Label:
    case Kind::StatusBar:
      if (c.onClick) c.onClick();
      break;
    default:
      break;
  }
}

void Form::userPress(Control& c) {
  if (c.kind_ != Kind::Button || !c.showing() || !c.enabledInTree()) return;
  c.runClick();
}

bool Form::userKey(Control& c, Key key) {
  if (!c.onKey || !canFocus(c)) return false;
  // A key arrives where the focus really is.
  if (focused_ != &c) userFocus(c);
  return c.onKey(key);
}

void Form::userWindowCommand(size_t index) {
  if (index < windowCommands_.size() && windowCommands_[index].run)
    windowCommands_[index].run();
}

void Form::userPickItem(Control& c, int index) {
  if (!c.showing() || !c.enabledInTree()) return;
  if (index < 0 || index >= static_cast<int>(c.items_.size())) return;
  if (focused_ != &c) setFocus(c);
  if (c.kind_ == Kind::RadioGroup) {
    c.setItemIndex(index);
  } else if (c.kind_ == Kind::ComboBox) {
    c.setItemIndex(index);
    if (c.onChange) c.onChange();
  }
}

void Form::userType(Control& c, std::string text) {
  if (!c.showing() || !c.enabledInTree() || c.readOnly_) return;
  if (focused_ != &c) setFocus(c);
  c.userSetText(std::move(text));
}

void Form::userSelectPage(Control& pc, int index) {
  if (pc.kind_ != Kind::PageControl || !pc.showing()) return;
  if (index == pc.activePage_) return;
  auto p = pc.pages();
  if (index < 0 || index >= static_cast<int>(p.size())) return;
  pc.setActivePageIndex(index);
  if (pc.onChange) pc.onChange();
}

void Form::userAccelerator(Control& label) {
  if (label.style_.focusControl.empty()) return;
  if (Control* target = find(label.style_.focusControl)) setFocus(*target);
}

void Form::addShortcut(std::string key, std::string scope, std::string action) {
  shortcuts_.push_back({std::move(key), std::move(scope), std::move(action)});
}

void Form::requestTimer(int ms) {
  timerMs_ = ms < 0 ? -1 : ms;
  if (view_) view_->timerRequested(timerMs_);
}

void Form::userTimer() {
  timerMs_ = -1;
  if (onTimer) onTimer();
}

bool Form::userShortcut(std::string_view key) {
  for (auto it = shortcuts_.rbegin(); it != shortcuts_.rend(); ++it) {
    if (it->key != key) continue;
    const Control* scope = find(it->scope);
    for (const Control* c = focused_; c && scope; c = c->parent()) {
      if (c != scope) continue;
      if (!scope->showing()) break;
      execute(it->action);
      return true;
    }
  }
  return false;
}

}  // namespace velquin::form
