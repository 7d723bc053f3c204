#pragma once
// What a report list shows: its columns, rows read from a source only as
// they come on view (so a list of any length costs the rows on screen), a
// small drawing of each row's latest values, the rows the user selected,
// and the sort mark of the header. The list's native window reads it; a
// feature fills it.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace velquin::form {

class ListSource {
 public:
  virtual ~ListSource() = default;
  virtual size_t rowCount() const = 0;
  // The text of a cell of the row shown at that place.
  virtual std::string cell(size_t row, int column) const = 0;
  // The colour of a cell's text, 0xRRGGBB; -1 for the system's.
  virtual int cellColor(size_t row, int column) const {
    (void)row;
    (void)column;
    return -1;
  }
  // The row's latest values for its drawing, oldest first: 0 and up a
  // value, below 0 a loss.
  virtual void recent(size_t row, std::vector<int32_t>& out) const {
    (void)row;
    out.clear();
  }
  // A row's background, 0xRRGGBB, -1 for the system's; where the system's
  // colours must stay (a high-contrast theme) the row's mark shows at the
  // head of its first cell instead.
  virtual int rowBackground(size_t row) const {
    (void)row;
    return -1;
  }
  virtual std::string rowMark(size_t row) const {
    (void)row;
    return "";
  }
};

class ListDoc {
 public:
  struct Column {
    std::string caption;
    int width = 60;  // 96-DPI units
    bool right = false;
  };
  // drawingWidth: the width of the column of drawings (96-DPI units), 0
  // for none; it shows after the text column drawingAfter (-1: the last).
  ListDoc(const ListSource& source, std::vector<Column> columns, int drawingWidth,
          int drawingAfter = -1)
      : source_(source),
        columns_(std::move(columns)),
        drawingWidth_(drawingWidth),
        drawingAfter_(drawingAfter) {}
  ListDoc(const ListDoc&) = delete;
  ListDoc& operator=(const ListDoc&) = delete;

  const ListSource& source() const { return source_; }
  const std::vector<Column>& columns() const { return columns_; }
  int drawingWidth() const { return drawingWidth_; }
  int drawingAfter() const { return drawingAfter_; }
  size_t rowCount() const { return source_.rowCount(); }

  // The selection, by the place of each row shown.
  bool isSelected(size_t row) const { return row < selected_.size() && selected_[row]; }
  std::vector<size_t> selection() const;
  // A handler selects: the list follows, no onSelect.
  void select(const std::vector<size_t>& rows);
  void selectAll();
  // The user selected in the list: onSelect runs when it changed.
  void userSelect(const std::vector<size_t>& rows);
  // The user clicked a column's header.
  void userHeaderClick(int column) {
    if (onHeaderClick && column >= 0 && column < static_cast<int>(columns_.size()))
      onHeaderClick(column);
  }

  // The header's mark of the sort (column -1: none).
  void setSortMark(int column, bool descending);
  int sortColumn() const { return sortColumn_; }
  bool sortDescending() const { return sortDescending_; }

  // The rows changed (their number or their figures): the list follows,
  // drawing again the rows on view.
  void changed();
  // Only the rows at these places changed: the list draws again those of
  // them that are on view.
  void changed(std::vector<size_t> places);
  // What changed since the list last drew: every row, or the places given.
  bool allChanged() const { return allChanged_; }
  const std::vector<size_t>& changedPlaces() const { return changedPlaces_; }

  // The feature's events.
  std::function<void()> onSelect;
  std::function<void(int column)> onHeaderClick;
  // Set by the list's window while it exists.
  std::function<void()> onShow;           // the rows or the sort mark changed
  std::function<void()> onSelectionShow;  // a handler changed the selection
  std::function<bool(const std::string& text)> copyText;  // to the clipboard

  // The list's own menu: each item's caption, the model action it runs,
  // whether it can be chosen now and, when not, why (shown beside it).
  struct MenuItem {
    std::string caption;
    std::string action;
    std::function<bool()> enabled;
    std::function<std::string()> why;
    bool separatorBefore = false;
  };
  void addMenuItem(MenuItem item) { menu_.push_back(std::move(item)); }
  const std::vector<MenuItem>& menu() const { return menu_; }

 private:
  void fit();

  const ListSource& source_;
  std::vector<Column> columns_;
  bool allChanged_ = true;
  std::vector<size_t> changedPlaces_;
  int drawingWidth_ = 0;
  int drawingAfter_ = -1;
  std::vector<bool> selected_;
  int sortColumn_ = -1;
  bool sortDescending_ = false;
  std::vector<MenuItem> menu_;
};

}  // namespace velquin::form
