#include "win32/list_view.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "form/list_doc.h"
#include "win32/renderer.h"
#include "win32/text.h"

namespace velquin::win32 {

namespace {

COLORREF rgb(int color) {
  return RGB((color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF);
}

class ListView final : public NativeControl {
 public:
  explicit ListView(const NativeParams& p) : NativeControl(p), doc_(*p.model.list()) {}
  ~ListView() override {
    doc_.onShow = nullptr;
    doc_.onSelectionShow = nullptr;
    doc_.copyText = nullptr;
  }

  void create() override {
    hwnd_ = make(WC_LISTVIEWW,
                 stateStyle() | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS,
                 WS_EX_CLIENTEDGE, L"");
    ListView_SetExtendedListViewStyle(hwnd_, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    const auto& columns = doc_.columns();
    for (size_t i = 0; i <= columns.size(); ++i) {
      const bool drawing = i == columns.size();
      if (drawing && doc_.drawingWidth() <= 0) break;
      std::wstring caption = drawing ? L"" : widen(columns[i].caption);
      LVCOLUMNW c{};
      c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
      c.fmt = !drawing && columns[i].right ? LVCFMT_RIGHT : LVCFMT_LEFT;
      c.cx = r_.scale(drawing ? doc_.drawingWidth() : columns[i].width);
      c.pszText = caption.data();
      SendMessageW(hwnd_, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&c));
    }
    // The drawings are the last column of the list, shown where the
    // model places them.
    const int after = doc_.drawingAfter();
    if (doc_.drawingWidth() > 0 && after >= 0 && after + 1 < static_cast<int>(columns.size())) {
      std::vector<int> order;
      for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        order.push_back(i);
        if (i == after) order.push_back(static_cast<int>(columns.size()));
      }
      ListView_SetColumnOrderArray(hwnd_, static_cast<int>(order.size()), order.data());
    }
    doc_.onShow = [this] { show(); };
    doc_.onSelectionShow = [this] { showSelection(); };
    doc_.copyText = [this](const std::string& text) { return textToClipboard(hwnd_, text); };
    show();
  }

  void applyFont() override {
    NativeControl::applyFont();
    // Column widths follow the window's DPI.
    const auto& columns = doc_.columns();
    for (size_t i = 0; i < columns.size(); ++i)
      ListView_SetColumnWidth(hwnd_, static_cast<int>(i), r_.scale(columns[i].width));
    if (doc_.drawingWidth() > 0)
      ListView_SetColumnWidth(hwnd_, static_cast<int>(columns.size()),
                              r_.scale(doc_.drawingWidth()));
  }

  LRESULT notify(const NMHDR& n) override {
    switch (n.code) {
      case LVN_GETDISPINFOW: {
        auto& item = reinterpret_cast<const NMLVDISPINFOW&>(n).item;
        if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return 0;
        text_.clear();
        if (item.iSubItem < static_cast<int>(doc_.columns().size()) && item.iItem >= 0)
          text_ = widen(doc_.source().cell(static_cast<size_t>(item.iItem), item.iSubItem));
        const size_t n = std::min(text_.size(), static_cast<size_t>(item.cchTextMax - 1));
        std::copy_n(text_.c_str(), n, item.pszText);
        item.pszText[n] = L'\0';
        return 0;
      }
      case LVN_COLUMNCLICK: {
        const int column = reinterpret_cast<const NMLISTVIEW&>(n).iSubItem;
        r_.fromUser([&] { doc_.userHeaderClick(column); });
        return 0;
      }
      case LVN_ITEMCHANGED: {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(n);
        if ((change.uChanged & LVIF_STATE) &&
            ((change.uNewState ^ change.uOldState) & LVIS_SELECTED))
          readSelection();
        return 0;
      }
      case LVN_ODSTATECHANGED:
        readSelection();
        return 0;
      case NM_CUSTOMDRAW:
        return customDraw(
            *reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(&n)));
      default:
        return 0;
    }
  }

 private:
  void show() {
    const int count = static_cast<int>(doc_.rowCount());
    if (count != shownCount_) {
      shownCount_ = count;
      Renderer::Quiet q(r_);
      ListView_SetItemCountEx(hwnd_, count, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
    }
    showSortMark();
    // Only the rows on screen that changed are drawn again: the list asks
    // for their text.
    if (doc_.allChanged()) {
      InvalidateRect(hwnd_, nullptr, FALSE);
      return;
    }
    const size_t first = static_cast<size_t>(std::max(0, ListView_GetTopIndex(hwnd_)));
    const size_t last = first + static_cast<size_t>(std::max(0, ListView_GetCountPerPage(hwnd_)));
    for (size_t place : doc_.changedPlaces()) {
      if (place < first || place > last) continue;
      RECT rc{};
      if (ListView_GetItemRect(hwnd_, static_cast<int>(place), &rc, LVIR_BOUNDS))
        InvalidateRect(hwnd_, &rc, FALSE);
    }
  }

  void showSortMark() {
    if (doc_.sortColumn() == markColumn_ && doc_.sortDescending() == markDescending_) return;
    markColumn_ = doc_.sortColumn();
    markDescending_ = doc_.sortDescending();
    HWND header = ListView_GetHeader(hwnd_);
    const int n = Header_GetItemCount(header);
    for (int i = 0; i < n; ++i) {
      HDITEMW h{};
      h.mask = HDI_FORMAT;
      Header_GetItem(header, i, &h);
      h.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
      if (i == markColumn_) h.fmt |= markDescending_ ? HDF_SORTDOWN : HDF_SORTUP;
      Header_SetItem(header, i, &h);
    }
  }

  void showSelection() {
    applying_ = true;
    const size_t n = doc_.rowCount();
    ListView_SetItemState(hwnd_, -1, 0, LVIS_SELECTED);
    for (size_t i = 0; i < n; ++i)
      if (doc_.isSelected(i))
        ListView_SetItemState(hwnd_, static_cast<int>(i), LVIS_SELECTED, LVIS_SELECTED);
    applying_ = false;
  }

  void readSelection() {
    if (applying_) return;
    std::vector<size_t> rows;
    for (int i = ListView_GetNextItem(hwnd_, -1, LVNI_SELECTED); i >= 0;
         i = ListView_GetNextItem(hwnd_, i, LVNI_SELECTED))
      rows.push_back(static_cast<size_t>(i));
    r_.fromUser([&] { doc_.userSelect(rows); });
  }

  LRESULT customDraw(NMLVCUSTOMDRAW& cd) {
    switch (cd.nmcd.dwDrawStage) {
      case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
      case CDDS_ITEMPREPAINT: {
        // A cell of its own colour is drawn cell by cell; a row without one
        // (most rows) costs the list no message a cell.
        const int columns = static_cast<int>(doc_.columns().size());
        for (int c = 0; c < columns; ++c)
          if (doc_.source().cellColor(cd.nmcd.dwItemSpec, c) >= 0)
            return CDRF_NOTIFYSUBITEMDRAW | CDRF_NOTIFYPOSTPAINT;
        return CDRF_NOTIFYPOSTPAINT;
      }
      case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const int color = doc_.source().cellColor(cd.nmcd.dwItemSpec, cd.iSubItem);
        const bool selected = ListView_GetItemState(hwnd_, static_cast<int>(cd.nmcd.dwItemSpec),
                                                    LVIS_SELECTED) != 0;
        if (color >= 0 && !selected) cd.clrText = rgb(color);
        else cd.clrText = CLR_DEFAULT;
        return CDRF_DODEFAULT;
      }
      case CDDS_ITEMPOSTPAINT:
        drawRecent(cd.nmcd.hdc, cd.nmcd.dwItemSpec);
        return CDRF_DODEFAULT;
      default:
        return CDRF_DODEFAULT;
    }
  }

  // The row's latest results as bars, newest at the right: a reply's
  // height against the highest of them, a loss full height in red.
  void drawRecent(HDC dc, size_t row) {
    if (doc_.drawingWidth() <= 0) return;
    RECT cell{};
    cell.top = static_cast<LONG>(doc_.columns().size());
    cell.left = LVIR_BOUNDS;
    if (!SendMessageW(hwnd_, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&cell))) return;
    doc_.source().recent(row, recent_);
    InflateRect(&cell, -r_.scale(3), -r_.scale(2));
    if (recent_.empty() || cell.right <= cell.left || cell.bottom <= cell.top) return;
    const int slots = 60;
    const int step = std::max(1, static_cast<int>((cell.right - cell.left) / slots));
    const int width = std::max(1, step - (step > 2 ? 1 : 0));
    int32_t top = 1;
    for (int32_t v : recent_) top = std::max(top, v);
    const int height = cell.bottom - cell.top;
    HBRUSH reply = CreateSolidBrush(RGB(46, 139, 87));
    HBRUSH loss = CreateSolidBrush(RGB(220, 0, 0));
    HBRUSH refused = nullptr;  // a refused connection (-5), made when one is drawn
    int x = cell.right - step * static_cast<int>(recent_.size());
    for (int32_t v : recent_) {
      if (x >= cell.left) {
        const int h = v < 0 ? height : std::max(1, static_cast<int>(1LL * height * v / top));
        RECT bar{x, cell.bottom - h, x + width, cell.bottom};
        if (v == -5 && !refused) refused = CreateSolidBrush(RGB(0, 140, 110));
        FillRect(dc, &bar, v == -5 ? refused : v < 0 ? loss : reply);
      }
      x += step;
    }
    DeleteObject(reply);
    DeleteObject(loss);
    if (refused) DeleteObject(refused);
  }

  form::ListDoc& doc_;
  std::wstring text_;
  std::vector<int32_t> recent_;
  int shownCount_ = -1;
  int markColumn_ = -2;
  bool markDescending_ = false;
  bool applying_ = false;
};

}  // namespace

std::unique_ptr<NativeControl> makeListView(const NativeParams& p) {
  return std::make_unique<ListView>(p);
}

}  // namespace velquin::win32
