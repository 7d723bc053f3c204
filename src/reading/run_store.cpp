#include "reading/run_store.h"

#include "reading/line_diff.h"

namespace velquin::reading {

RunStore::Prepared RunStore::prepare(std::string text, std::string_view newest,
                                     bool empty, uint64_t version) {
  Prepared p;
  p.against = version;
  if (!empty) {
    p.repeat = text == newest;
    if (!p.repeat) {
      p.back = edit(text, newest);
      p.back.shrink_to_fit();
    }
  }
  p.text = std::move(text);
  return p;
}

bool RunStore::add(Prepared p, const KeptRun& run) {
  if (p.against != version_) p = prepare(std::move(p.text), newest(), runs_.empty(), version_);
  if (!runs_.empty() && p.repeat) {
    KeptRun& last = runs_.back().run;
    last.lastTime = run.time;
    last.lastNumber = run.number;
    ++last.same;
    return false;
  }
  ++version_;
  if (!runs_.empty()) {
    Kept& before = runs_.back();
    held_ -= before.bytes;
    before.back = std::move(p.back);
    before.bytes = bytesOf(before);
    held_ += before.bytes;
  }
  runs_.push_back({run, {}, 0});
  Kept& k = runs_.back();
  k.run.same = 1;
  k.run.lastTime = run.time;
  k.run.lastNumber = run.number;
  k.bytes = bytesOf(k);
  held_ += k.bytes;
  p.text.shrink_to_fit();
  newest_ = std::make_shared<const std::string>(std::move(p.text));
  // The oldest go first; the newest stays, however large.
  while (runs_.size() > 1 &&
         ((runLimit_ > 0 && runs_.size() > runLimit_) || bytes() > byteLimit_)) {
    held_ -= runs_.front().bytes;
    runs_.pop_front();
    ++dropped_;
  }
  return true;
}

void RunStore::clear() {
  runs_.clear();
  newest_.reset();
  held_ = sizeof(RunStore);
  dropped_ = 0;
  ++version_;
}

std::string RunStore::text(size_t i) const {
  std::string t(newest());
  for (size_t k = runs_.size() - 1; k > i; --k) t = apply(runs_[k - 1].back, t);
  return t;
}

void RunStore::eachNewestFirst(
    const std::function<void(size_t, const std::string&)>& fn) const {
  if (runs_.empty()) return;
  std::string t(newest());
  for (size_t k = runs_.size(); k-- > 0;) {
    if (k + 1 < runs_.size()) t = apply(runs_[k].back, t);
    fn(k, t);
  }
}

size_t RunStore::bytesOf(const Kept& k) {
  // A string's own room holds 15 bytes; a longer one takes a block of its own.
  auto heap = [](const std::string& s) { return s.capacity() > 15 ? s.capacity() + 1 : 0; };
  size_t n = sizeof k + heap(k.run.time) + heap(k.run.lastTime) +
             k.back.capacity() * sizeof(Piece);
  for (const Piece& p : k.back) n += heap(p.own);
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
