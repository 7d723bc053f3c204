#include "reading/run_store.h"

#include "reading/line_diff.h"

namespace velquin::reading {

bool RunStore::add(std::string text, const KeptRun& run) {
  if (!runs_.empty() && text == newest_) {
    KeptRun& last = runs_.back().run;
    last.time = run.time;
    last.number = run.number;
    ++last.same;
    return false;
  }
  if (!runs_.empty()) {
    runs_.back().back = edit(text, newest_);
    runs_.back().back.shrink_to_fit();
  }
  runs_.push_back({run, {}});
  runs_.back().run.same = 1;
  newest_ = std::move(text);
  newest_.shrink_to_fit();
  if (limit_ > 0 && runs_.size() > limit_) {
    runs_.pop_front();
    ++dropped_;
  }
  return true;
}

void RunStore::clear() {
  runs_.clear();
  newest_.clear();
  newest_.shrink_to_fit();
  dropped_ = 0;
}

std::string RunStore::text(size_t i) const {
  std::string t = newest_;
  for (size_t k = runs_.size() - 1; k > i; --k) t = apply(runs_[k - 1].back, t);
  return t;
}

void RunStore::eachNewestFirst(
    const std::function<void(size_t, const std::string&)>& fn) const {
  if (runs_.empty()) return;
  std::string t = newest_;
  for (size_t k = runs_.size(); k-- > 0;) {
    if (k + 1 < runs_.size()) t = apply(runs_[k].back, t);
    fn(k, t);
  }
}

size_t RunStore::bytes() const {
  size_t n = sizeof *this + newest_.capacity();
  for (const Kept& k : runs_) {
    n += sizeof k + k.run.time.capacity() + k.back.capacity() * sizeof(Piece);
    for (const Piece& p : k.back)
      if (p.own.capacity() > 15) n += p.own.capacity() + 1;  // beyond the string's own room
  }
  return n;
}

// Lines with their breaks, so that what is copied and what is written out
// join to the older text exactly.
std::vector<RunStore::Piece> RunStore::edit(std::string_view newer,
                                            std::string_view older) {
  const std::vector<std::string_view> a = splitLines(newer, true);
  const std::vector<std::string_view> b = splitLines(older, true);
  auto offset = [](const std::vector<std::string_view>& lines, std::string_view text,
                   size_t line) {
    return line < lines.size() ? static_cast<size_t>(lines[line].data() - text.data())
                               : text.size();
  };
  std::vector<Piece> pieces;
  size_t ia = 0, ib = 0;  // lines of each text handled so far
  auto copyTo = [&](size_t endA) {
    const size_t from = offset(a, newer, ia), to = offset(a, newer, endA);
    if (to == from) return;
    if (!pieces.empty() && pieces.back().from + pieces.back().length == from &&
        pieces.back().length > 0)
      pieces.back().length += to - from;
    else
      pieces.push_back({{}, from, to - from});
  };
  for (const Hunk& h : diffLines(a, b)) {
    copyTo(h.oldBegin);
    ia = h.oldBegin + h.oldCount;
    ib = h.newBegin;
    const size_t from = offset(b, older, ib), to = offset(b, older, ib + h.newCount);
    if (to > from) pieces.push_back({std::string(older.substr(from, to - from)), 0, 0});
    ib += h.newCount;
  }
  copyTo(a.size());
  return pieces;
}

std::string RunStore::apply(const std::vector<Piece>& back, std::string_view newer) {
  size_t n = 0;
  for (const Piece& p : back) n += p.own.size() + p.length;
  std::string out;
  out.reserve(n);
  for (const Piece& p : back) {
    out += p.own;
    out.append(newer.substr(p.from, p.length));
  }
  return out;
}

}  // namespace velquin::reading
