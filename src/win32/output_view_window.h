#pragma once
// The output view's window object, whose parts the output_view*.cpp files define.
//
// By concern: output_view.cpp makes the window, follows the text and routes
// its messages; output_view_paint.cpp paints and scrolls;
// output_view_keys.cpp moves the caret by keys and mouse;
// output_view_menu.cpp holds the menu, the clipboard and the text for other
// programs.

#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "form/output_doc.h"
#include "form/output_text.h"
#include "win32/controls.h"
#include "win32/output_accessible.h"
#include "win32/renderer.h"

namespace velquin::win32::outview {

inline const wchar_t kClass[] = L"VelquinOutput";
constexpr UINT_PTR kDragTimer = 1;
constexpr UINT_PTR kShowTimer = 2;
// Find matches a large output a slice at a time, on a timer: timers come
// after input and painting, so the window answers in between.
constexpr UINT_PTR kFindTimer = 3;
// Output that pours in is shown at most this often: a repaint and the
// scroll bars cost the same however little was added.
constexpr DWORD kShowEveryMs = 30;
constexpr int kMargin = 2;  // 96-DPI pixels left of the text, as the edit has
// Room between the column of times and the text, in 96-DPI pixels.
constexpr int kTimeGap = 8;

// Character widths of one font, measured once per character.
class GdiWidths final : public form::CharWidths {
 public:
  GdiWidths() : dc_(CreateCompatibleDC(nullptr)), bmp_(0x10000, -1) {}
  ~GdiWidths() override {
    if (old_) SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  GdiWidths(const GdiWidths&) = delete;
  GdiWidths& operator=(const GdiWidths&) = delete;

  void setFont(HFONT font);
  int height() const { return height_; }

  int width(char32_t c) override {
    if (c < 0x10000) {
      int& w = bmp_[c];
      if (w < 0) {
        INT got = 0;
        const auto u = static_cast<UINT>(c);
        w = GetCharWidth32W(dc_, u, u, &got) ? got : 0;
      }
      return w;
    }
    return wideWidth(c);
  }
  int tabWidth() override { return tab_; }

 private:
  int wideWidth(char32_t c);

  HDC dc_;
  HGDIOBJ old_ = nullptr;
  std::vector<int> bmp_;
  int height_ = 16;
  int tab_ = 48;
};

class OutputView final : public NativeControl {
 public:
  explicit OutputView(const NativeParams& p)
      : NativeControl(p), doc_(*p.model.outputDoc()), text_(doc_.text()) {}
  ~OutputView() override;

  void create() override;
  void apply(form::Prop prop) override;
  void append(std::string_view) override { changedText(); }
  std::string readText() const override { return text_.text(); }

 private:
  friend LRESULT CALLBACK objectProc<OutputView>(HWND, UINT, WPARAM, LPARAM);

  // --- Geometry
  int lineHeight() const { return std::max(1, widths_.height()); }
  int margin() const { return r_.scale(kMargin); }
  // Width of the column of times while it shows.
  int timesWidth();
  // Where x = 0 of the text is, before scrolling.
  int textLeft() { return margin() + timesWidth(); }
  // The client area as the last WM_SIZE gave it: under Wine asking the
  // window for it costs three requests to the server, and the view asks
  // several times at every showing.
  RECT client() const { return client_; }
  size_t pageLines() const {
    const RECT rc = client();
    return std::max<size_t>(1, static_cast<size_t>(rc.bottom / lineHeight()));
  }
  size_t maxTop() const {
    const size_t n = rowCount(), page = pageLines();
    return n > page ? n - page : 0;
  }
  // The newest line shown is in sight (lines appended since wait to show).
  bool atEnd() const {
    const size_t page = pageLines();
    return top_ + page >= shownLines_;
  }

  // --- The text as it changes (output_view.cpp)
  void setFont(HFONT font);
  void changedText();
  void showText();
  // After the user moved the view or the selection: following the end goes
  // on only while the end is in sight and nothing is selected.
  void userMoved();
  // The font the renderer gives (again after a change of DPI), or the
  // fixed-pitch one of the same height while the user chose it.
  void setBaseFont(HFONT font);
  bool fixedPitchChosen() const { return doc_.changes().fixedPitch(); }
  HFONT fixedFont();
  // Before the view shows what changed: the font that was chosen, and the
  // first row kept within the rows there are now.
  void followChanges();
  void size(LPARAM lp);
  void findTimer();
  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp);

  // --- Painting and scrolling (output_view_paint.cpp)
  void updateScroll();
  void setBar(int bar, const SCROLLINFO& si);
  void scrollTo(size_t top, int left);
  void scrollBar(int bar, int code);
  void wheel(WPARAM wp);
  HDC backBuffer(HDC target, const RECT& rc);
  void dropBackBuffer();
  void paint();
  void paintTimes(HDC dc, const RECT& rc, size_t last);
  void paintLine(HDC dc, size_t ln, int y, int right, bool enabled);
  struct ChangeColors {
    COLORREF line, lineText, chars, charsText, removed;
  };
  static ChangeColors changeColors();
  void paintRows(HDC dc, const RECT& rc, size_t last, bool enabled);

  // The changes against the run before, drawn over the text: rows while
  // only the changed lines show.
  bool filtered() const { return doc_.changes().onlyChanged(); }
  size_t rowCount() const {
    return filtered() ? doc_.changes().rows().size() : text_.lineCount();
  }
  // The line that a row shows, or kSkipped for the mark of lines left out.
  size_t lineOfRow(size_t row) const {
    return filtered() ? doc_.changes().rows()[row] : row;
  }
  // The line a click on a row reaches: the mark of lines left out stands
  // for the line shown above it.
  size_t lineAtRow(size_t row) const {
    const size_t ln = lineOfRow(row);
    return ln != form::ChangeMarks::kSkipped ? ln : lineOfRow(row - 1);
  }
  // The row of a line; a line left out is at the mark that stands for it.
  size_t rowOfLine(size_t line) const;

  // --- Caret, keys and mouse (output_view_keys.cpp)
  size_t posAt(int x, int y);
  POINT pointOf(size_t pos);
  void ensureVisible(size_t pos);
  void placeCaret();
  void key(UINT vk, bool shift, bool ctrl);
  void drag(int x, int y);
  void dragTimer();
  void focusIn();
  void buttonDown(WPARAM wp, LPARAM lp);
  void doubleClick(LPARAM lp);

  // --- Menu, clipboard and the text for other programs
  // (output_view_menu.cpp)
  void copy();
  // The lines that the selection touches with the time of each.
  void copyWithTimes();
  void toClipboard(const std::string& utf8);
  // UTF-16 offsets in the whole text, as the edit control counts, and back.
  size_t wideOffset(size_t bytes) const;
  size_t byteOffset(size_t wide) const;
  // A command of the menu put the focus in a text field: its text is
  // selected, so that typing replaces it.
  static void selectFocusedField();
  void selectAll();
  // The whole text for another program, as much as fits.
  LRESULT getText(size_t capacity, wchar_t* out);
  LRESULT getSel(WPARAM wp, LPARAM lp) const;
  void setSel(WPARAM wp, LPARAM lp);
  void contextMenu(int x, int y);

  form::OutputDoc& doc_;
  form::OutputText& text_;
  GdiWidths widths_;
  HFONT font_ = nullptr;
  HFONT baseFont_ = nullptr;   // the renderer's
  HFONT fixedFont_ = nullptr;  // of fixed pitch, made when first chosen
  bool filteredShown_ = false;
  size_t top_ = 0;  // first line on view
  int left_ = 0;    // pixels scrolled to the right
  int goalX_ = -1;  // x kept by up and down
  int wheel_ = 0;
  bool follow_ = true;
  bool showPending_ = false;
  DWORD lastShown_ = 0;
  RECT client_{};
  struct {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ old = nullptr;
    SIZE size{};
  } back_;
  // What each scroll bar shows, as last drawn; unknown after a change of
  // size, when it is drawn again anyway.
  struct Bar {
    SCROLLBARINFO shown{};
    bool known = false;
  } bars_[2];
  size_t shownLines_ = 1;
  size_t caretLine_ = 0;
  std::unique_ptr<AccessibleHandle> access_;
};

}  // namespace velquin::win32::outview
