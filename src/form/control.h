#pragma once
// One control of the portable window model. The model is the single source
// of truth: handlers read and write these properties, the renderer mirrors
// them on native controls and reports the user's actions back through Form.

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velquin::form {

class Form;
class OutputDoc;
class GraphDoc;
class ListDoc;

enum class Kind {
  Edit,         // one line of text
  CheckBox,
  RadioGroup,   // framed list of option items, ItemIndex
  ComboBox,
  Memo,         // many lines, CR LF between them
  Label,
  Button,
  Panel,
  GroupBox,
  Page,         // one page of a PageControl
  PageControl,
  StatusBar,
  Graph,        // a drawing of values over time (graph())
  Splitter,     // a bar that the user drags to size the control docked before it
  List,         // a report list of rows read on demand (list())
};

// Placement rule inside the parent's client area, applied in declaration
// order: docked controls take their strip of what is left, Client takes the
// rest, None keeps its own left/top/width/height.
enum class Align { None, Top, Bottom, Left, Right, Client };

enum class ComboStyle { DropDown, DropDownList };

enum class ScrollBars { None, Vertical, Horizontal, Both };

// Properties the renderer is told about when a handler changes them.
enum class Prop {
  Text, Visible, Enabled, Checked, ItemIndex, Items, ActivePage, TabVisible,
  Bounds,
};

struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const Rect&) const = default;
};

// Fixed at declaration and never changed afterwards.
struct Style {
  Align align = Align::None;
  int columns = 1;                       // radio groups
  ComboStyle comboStyle = ComboStyle::DropDown;
  ScrollBars scrollBars = ScrollBars::None;
  bool wantReturn = true;                // memos: Enter makes a new line
  bool wordWrap = false;                 // memos
  bool isDefault = false;                // the window's default button
  bool handCursor = false;               // link labels
  bool bevel = true;                     // panels
  bool autoSize = true;                  // labels size to their caption
  std::string focusControl;              // labels: accelerator target
  // Anchors for Align::None: when set, the width (height) follows the
  // parent so that this margin stays to its right (bottom) edge.
  int rightMargin = -1;
  int bottomMargin = -1;
  // Memos: the read-only output view of our own, for output of any size.
  bool outputView = false;
  // Check boxes: the consecutive siblings that have it are one stop in the
  // tab order, entered at the ticked one (the first when none is); the
  // arrow keys move between them.
  bool tabGroup = false;
};

struct Font {
  bool bold = false;
  int height = 0;          // pixels at 96 DPI; 0 = the window's font
  int color = -1;          // 0xRRGGBB; -1 = the system's text colour
  bool operator==(const Font&) const = default;
};

using Handler = std::function<void()>;

// Keys that a control may take before the system does; true when taken.
enum class Key { Up, Down, F7 };
using KeyHandler = std::function<bool(Key)>;

class Control {
 public:
  Control(Form& form, std::string name, Kind kind, Control* parent);
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  ~Control();

  const std::string& name() const { return name_; }
  Kind kind() const { return kind_; }
  Control* parent() const { return parent_; }
  const std::vector<Control*>& children() const { return children_; }
  Form& form() const { return form_; }

  // Caption of labels, buttons, check boxes, pages and group boxes; text of
  // edits, combo boxes and memos.
  const std::string& text() const;
  void setText(std::string text);

  bool visible() const { return visible_; }
  void setVisible(bool on);
  bool enabled() const { return enabled_; }
  void setEnabled(bool on);
  // Visible itself and every parent up to the form, and the active page of
  // its page control where it is a page or sits on one.
  bool showing() const;
  bool enabledInTree() const;

  bool checked() const { return checked_; }
  void setChecked(bool on);

  const std::vector<std::string>& items() const { return items_; }
  int itemIndex() const { return itemIndex_; }
  // Radio groups: runs the click handler when the choice changes to a valid
  // item; -1 clears without a click; past the end picks the last item.
  // Combo boxes: also sets the text to the chosen item; no change event.
  void setItemIndex(int index);
  // Combo box lists filled by handlers: emptying leaves no item chosen and
  // no text; neither runs a change event.
  void clearItems();
  void addItem(std::string item);
  // The whole list at once (the window fills it once, not once an item),
  // no item chosen and no text.
  void setItems(std::vector<std::string> items);

  // Pages
  bool tabVisible() const { return tabVisible_; }
  void setTabVisible(bool on);
  int pageIndex() const;  // index among its page control's pages

  // Page controls
  std::vector<Control*> pages() const;
  int activePageIndex() const { return activePage_; }
  Control* activePage() const;
  void setActivePageIndex(int index);  // handlers: no change event
  void setActivePage(Control& page);

  bool readOnly() const { return readOnly_; }
  const std::string& hint() const { return hint_; }
  const Font& font() const { return font_; }
  const Style& style() const { return style_; }

  // Placement in 96-DPI units relative to the parent's client area.
  const Rect& bounds() const { return bounds_; }
  void setBounds(Rect r);  // design placement; the layout may override it

  // Memos: lines and appends. Text is the lines joined by CR LF.
  std::vector<std::string> lines() const;
  void setLines(const std::vector<std::string>& lines);
  void append(std::string_view text);
  bool modified() const { return modified_; }
  // Grows at every change of the text, so a reader can tell cheaply that
  // what it saw is still there.
  unsigned long textVersion() const { return textVersion_; }
  void setModified(bool on) { modified_ = on; }
  // The output view's memo: its lines, selection, find and line times,
  // following every change of the text; null for any other control.
  OutputDoc* outputDoc() const { return doc_.get(); }
  // Graphs: what the drawing shows, owned by the feature that declared it.
  GraphDoc* graph() const { return graph_; }
  void setGraph(GraphDoc* graph) { graph_ = graph; }
  // Lists: what the list shows, owned by the feature that declared it.
  ListDoc* list() const { return list_; }
  void setList(ListDoc* list) { list_ = list; }

  // Events, bound once by the page that declares the control.
  Handler onClick;
  Handler onEnter;
  Handler onChange;
  Handler onResize;
  Handler onShow;
  KeyHandler onKey;
  std::string action;  // named action that a click runs, "" for none

  // Entry points of the renderer (and of the tests, which act as the user).
  void userSetText(std::string text);    // typed into an edit, memo, combo
  void markTextStale();                  // a memo edited natively; read lazily

 private:
  friend class Form;
  void notify(Prop prop);
  void runClick();

  Form& form_;
  std::string name_;
  Kind kind_;
  Control* parent_;
  std::vector<Control*> children_;

  mutable std::string text_;
  mutable bool textStale_ = false;
  unsigned long textVersion_ = 0;
  bool visible_ = true;
  bool enabled_ = true;
  bool checked_ = false;
  std::vector<std::string> items_;
  int itemIndex_ = -1;
  bool tabVisible_ = true;
  int activePage_ = -1;
  bool readOnly_ = false;
  bool modified_ = false;
  std::string hint_;
  Font font_;
  Style style_;
  Rect design_;
  Rect bounds_;
  std::unique_ptr<OutputDoc> doc_;
  GraphDoc* graph_ = nullptr;
  ListDoc* list_ = nullptr;
};

}  // namespace velquin::form
