// The output view's caret and keys: moved by keys and mouse, kept in sight.
#include <windowsx.h>

#include <algorithm>

#include "win32/output_view_window.h"

namespace velquin::win32::outview {

size_t OutputView::posAt(int x, int y) {
  long long row = static_cast<long long>(top_) + (y < 0 ? -1 : y / lineHeight());
  row = std::clamp<long long>(row, 0, static_cast<long long>(rowCount()) - 1);
  const size_t ln = lineAtRow(static_cast<size_t>(row));
  return text_.lineStart(ln) +
         form::OutputText::hitTest(text_.line(ln), x + left_ - textLeft(), widths_);
}

POINT OutputView::pointOf(size_t pos) {
  const size_t ln = text_.lineOf(pos);
  const int x = form::OutputText::xOf(text_.line(ln), pos - text_.lineStart(ln),
                                      widths_);
  return {x - left_ + textLeft(),
          static_cast<int>((static_cast<long long>(rowOfLine(ln)) -
                            static_cast<long long>(top_)) *
                           lineHeight())};
}

void OutputView::ensureVisible(size_t pos) {
  const size_t ln = text_.lineOf(pos), row = rowOfLine(ln);
  if (row < top_) top_ = row;
  else if (row >= top_ + pageLines()) top_ = row + 1 - pageLines();
  const int x = form::OutputText::xOf(text_.line(ln), pos - text_.lineStart(ln),
                                      widths_);
  const RECT rc = client();
  const int width = std::max<int>(1, rc.right - 2 * margin() - timesWidth());
  if (x < left_) left_ = std::max(0, x - width / 4);
  else if (x > left_ + width) left_ = x - width + width / 4;
}

void OutputView::placeCaret() {
  // Assistive technology reads the caret's line: tell it of a new one.
  const size_t line = text_.lineOf(text_.caret());
  if (line != caretLine_) {
    caretLine_ = line;
    if (access_) access_->valueChanged();
  }
  if (GetFocus() != hwnd_) return;
  const POINT p = pointOf(text_.caret());
  SetCaretPos(p.x, p.y);
}

void OutputView::key(UINT vk, bool shift, bool ctrl) {
  const size_t caret = text_.caret();
  size_t to = caret;
  const size_t ln = text_.lineOf(caret);
  // Up and down go by the rows shown: while only the changed lines show,
  // past the lines left out, never onto them.
  auto vertical = [&](long long rows) {
    const long long last = static_cast<long long>(rowCount()) - 1;
    long long row = std::clamp<long long>(
        static_cast<long long>(rowOfLine(ln)) + rows, 0, last);
    const long long step = rows < 0 ? -1 : 1;
    if (lineOfRow(static_cast<size_t>(row)) == form::ChangeMarks::kSkipped &&
        row + step >= 0 && row + step <= last)
      row += step;
    const size_t t = lineAtRow(static_cast<size_t>(row));
    return text_.lineStart(t) +
           form::OutputText::hitTest(text_.line(t), goalX_, widths_);
  };
  const bool keepGoal = vk == VK_UP || vk == VK_DOWN || vk == VK_PRIOR || vk == VK_NEXT;
  if (!keepGoal)
    goalX_ = -1;
  if (keepGoal && goalX_ < 0)
    goalX_ = form::OutputText::xOf(text_.line(ln), caret - text_.lineStart(ln),
                                   widths_);
  const long long page = static_cast<long long>(pageLines());
  switch (vk) {
    case VK_LEFT:
      to = !shift && text_.hasSelection() ? text_.selStart() : text_.prevChar(caret);
      break;
    case VK_RIGHT:
      to = !shift && text_.hasSelection() ? text_.selEnd() : text_.nextChar(caret);
      break;
    case VK_UP: to = vertical(-1); break;
    case VK_DOWN: to = vertical(1); break;
    case VK_PRIOR:
      to = vertical(-page);
      top_ = top_ > pageLines() ? top_ - pageLines() : 0;
      break;
    case VK_NEXT:
      to = vertical(page);
      top_ = std::min(top_ + pageLines(), maxTop());
      break;
    case VK_HOME: to = ctrl ? 0 : text_.lineStart(ln); break;
    case VK_END: to = ctrl ? text_.text().size() : text_.lineEnd(ln); break;
    case 'A':
      if (ctrl) selectAll();
      return;
    case 'C':
    case VK_INSERT:
      if (ctrl) copy();
      return;
    default:
      return;
  }
  text_.moveCaret(to, shift);
  ensureVisible(text_.caret());
  userMoved();
}

void OutputView::drag(int x, int y) {
  const RECT rc = client();
  if (y < 0 && top_ > 0) --top_;
  if (y >= rc.bottom && top_ < maxTop()) ++top_;
  text_.moveCaret(posAt(x, y), true);
  ensureVisible(text_.caret());
  userMoved();
}

void OutputView::dragTimer() {
  if (GetCapture() != hwnd_) return;
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(hwnd_, &p);
  const RECT rc = client();
  if (p.y < 0 || p.y >= rc.bottom) drag(p.x, p.y);
}

void OutputView::focusIn() {
  CreateCaret(hwnd_, nullptr, std::max(1, r_.scale(1)), lineHeight());
  placeCaret();
  ShowCaret(hwnd_);
  if (access_) access_->focused();
}

void OutputView::buttonDown(WPARAM wp, LPARAM lp) {
  if (GetFocus() != hwnd_) SetFocus(hwnd_);
  const size_t pos = posAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
  text_.moveCaret(pos, (wp & MK_SHIFT) != 0);
  goalX_ = -1;
  SetCapture(hwnd_);
  SetTimer(hwnd_, kDragTimer, 50, nullptr);
  userMoved();
}

void OutputView::doubleClick(LPARAM lp) {
  if (GetFocus() != hwnd_) SetFocus(hwnd_);
  const auto [from, to] = text_.wordAt(posAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
  text_.select(from, to);
  userMoved();
}

}  // namespace velquin::win32::outview
