#include "form/change_marks.h"

#include <algorithm>

namespace velquin::form {

void ChangeMarks::set(size_t lineCount, std::vector<size_t> changed,
                      std::vector<size_t> removedBefore,
                      std::vector<std::pair<size_t, size_t>> chars) {
  flags_.assign(lineCount + 1, 0);
  for (size_t ln : changed)
    if (ln < lineCount) flags_[ln] |= kChanged;
  for (size_t ln : removedBefore)
    if (ln <= lineCount) flags_[ln] |= kRemoved;
  chars_ = std::move(chars);
  rows_.clear();
  // The first line is the command line: it always shows.
  size_t last = 0;
  rows_.push_back(0);
  for (size_t ln = 1; ln < lineCount; ++ln) {
    if (!(flags_[ln] & kChanged)) continue;
    if (ln != last + 1) rows_.push_back(kSkipped);
    rows_.push_back(ln);
    last = ln;
  }
  if (last + 1 < lineCount) rows_.push_back(kSkipped);
}

void ChangeMarks::clear() {
  flags_.clear();
  chars_.clear();
  rows_.clear();
}

std::pair<size_t, size_t> ChangeMarks::charsWithin(size_t begin, size_t end) const {
  const auto first = std::lower_bound(
      chars_.begin(), chars_.end(), begin,
      [](const std::pair<size_t, size_t>& r, size_t pos) { return r.second <= pos; });
  auto last = first;
  while (last != chars_.end() && last->first < end) ++last;
  return {static_cast<size_t>(first - chars_.begin()),
          static_cast<size_t>(last - chars_.begin())};
}

}  // namespace velquin::form
