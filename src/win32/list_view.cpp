#include "win32/list_view.h"

#include <commctrl.h>
#include <windowsx.h>

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
    if (tip_) DestroyWindow(tip_);
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
        // A high-contrast theme keeps the system's colours: a row's mark
        // heads its first cell instead of its background.
        if (item.iSubItem == 0 && item.iItem >= 0 && highContrast_)
          text_ = widen(doc_.source().rowMark(static_cast<size_t>(item.iItem))) + text_;
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
      case CDDS_PREPAINT: {
        HIGHCONTRASTW hc{sizeof hc};
        highContrast_ = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) &&
                        (hc.dwFlags & HCF_HIGHCONTRASTON);
        return CDRF_NOTIFYITEMDRAW;
      }
      case CDDS_ITEMPREPAINT: {
        background(cd);
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
        background(cd);
        return CDRF_DODEFAULT;
      }
      case CDDS_ITEMPOSTPAINT:
        drawRecent(cd.nmcd.hdc, cd.nmcd.dwItemSpec);
        return CDRF_DODEFAULT;
      default:
        return CDRF_DODEFAULT;
    }
  }

  // A row's own background, unless it is selected or the theme's colours
  // must stay.
  void background(NMLVCUSTOMDRAW& cd) {
    const int color = highContrast_ ? -1 : doc_.source().rowBackground(cd.nmcd.dwItemSpec);
    const bool selected = ListView_GetItemState(hwnd_, static_cast<int>(cd.nmcd.dwItemSpec),
                                                LVIS_SELECTED) != 0;
    cd.clrTextBk = color >= 0 && !selected ? rgb(color) : CLR_DEFAULT;
  }

  LRESULT watched(HWND h, UINT msg, WPARAM wp, LPARAM lp, WNDPROC next) override {
    if (h == hwnd_ && msg == WM_CONTEXTMENU && !doc_.menu().empty()) {
      contextMenu(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      return 0;
    }
    if (h == hwnd_ && msg == WM_MENUSELECT) menuSelected(LOWORD(wp), HIWORD(wp), reinterpret_cast<HMENU>(lp));
    return NativeControl::watched(h, msg, wp, lp, next);
  }

  // The list's own menu, at the mouse or, from the keyboard, at the row
  // that has the focus.
  void contextMenu(int x, int y) {
    if (x == -1 && y == -1) {
      RECT rc{};
      const int focused = ListView_GetNextItem(hwnd_, -1, LVNI_FOCUSED);
      if (focused < 0 || !ListView_GetItemRect(hwnd_, focused, &rc, LVIR_LABEL))
        GetClientRect(hwnd_, &rc);
      POINT p{rc.left + 8, rc.bottom};
      ClientToScreen(hwnd_, &p);
      x = p.x;
      y = p.y;
    }
    const auto& items = doc_.menu();
    HMENU menu = CreatePopupMenu();
    for (size_t i = 0; i < items.size(); ++i) {
      if (items[i].separatorBefore) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      const bool on = !items[i].enabled || items[i].enabled();
      AppendMenuW(menu, MF_STRING | (on ? 0 : MF_GRAYED), kMenuFirst + static_cast<UINT>(i),
                  widen(items[i].caption).c_str());
    }
    const UINT cmd = static_cast<UINT>(TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, hwnd_, nullptr));
    DestroyMenu(menu);
    hideWhy();
    if (cmd >= kMenuFirst && cmd - kMenuFirst < items.size()) {
      const std::string action = items[cmd - kMenuFirst].action;
      r_.fromUser([this, &action] { model_.form().execute(action); });
    }
  }

  // A greyed item that can say why it cannot be chosen says so beside it
  // while it is lit.
  void menuSelected(UINT id, UINT flags, HMENU menu) {
    const auto& items = doc_.menu();
    std::string why;
    if (id >= kMenuFirst && id - kMenuFirst < items.size() && (flags & MF_GRAYED) &&
        items[id - kMenuFirst].why)
      why = items[id - kMenuFirst].why();
    if (why.empty()) {
      hideWhy();
      return;
    }
    if (!tip_) {
      tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0, hwnd_, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
      TOOLINFOW ti{sizeof ti};
      ti.uFlags = TTF_TRACK | TTF_ABSOLUTE;
      ti.hwnd = hwnd_;
      ti.lpszText = const_cast<wchar_t*>(L"");
      SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    whyText_ = widen(why);
    TOOLINFOW ti{sizeof ti};
    ti.hwnd = hwnd_;
    ti.lpszText = whyText_.data();
    SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    RECT rc{};
    int index = -1;
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
      if (GetMenuItemID(menu, i) == id) index = i;
    GetMenuItemRect(hwnd_, menu, static_cast<UINT>(index), &rc);
    SendMessageW(tip_, TTM_TRACKPOSITION, 0, MAKELPARAM(rc.right + 4, rc.top));
    SendMessageW(tip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&ti));
  }

  void hideWhy() {
    if (!tip_) return;
    TOOLINFOW ti{sizeof ti};
    ti.hwnd = hwnd_;
    SendMessageW(tip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&ti));
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

  static constexpr UINT kMenuFirst = 1;
  form::ListDoc& doc_;
  std::wstring text_;
  bool highContrast_ = false;
  HWND tip_ = nullptr;
  std::wstring whyText_;
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
