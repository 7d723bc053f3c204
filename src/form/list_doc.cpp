#include "form/list_doc.h"

namespace velquin::form {

std::vector<size_t> ListDoc::selection() const {
  std::vector<size_t> out;
  const size_t n = std::min(selected_.size(), rowCount());
  for (size_t i = 0; i < n; ++i)
    if (selected_[i]) out.push_back(i);
  return out;
}

void ListDoc::fit() { selected_.resize(rowCount(), false); }

void ListDoc::select(const std::vector<size_t>& rows) {
  selected_.assign(rowCount(), false);
  for (size_t r : rows)
    if (r < selected_.size()) selected_[r] = true;
  if (onSelectionShow) onSelectionShow();
}

void ListDoc::selectAll() {
  selected_.assign(rowCount(), true);
  if (onSelectionShow) onSelectionShow();
}

void ListDoc::userSelect(const std::vector<size_t>& rows) {
  const std::vector<size_t> before = selection();
  selected_.assign(rowCount(), false);
  for (size_t r : rows)
    if (r < selected_.size()) selected_[r] = true;
  if (selection() != before && onSelect) onSelect();
}

void ListDoc::setSortMark(int column, bool descending) {
  sortColumn_ = column;
  sortDescending_ = descending;
  if (onShow) onShow();
}

void ListDoc::changed() {
  fit();
  allChanged_ = true;
  changedPlaces_.clear();
  if (onShow) onShow();
}

void ListDoc::changed(std::vector<size_t> places) {
  fit();
  allChanged_ = false;
  changedPlaces_ = std::move(places);
  if (onShow) onShow();
}

}  // namespace velquin::form
