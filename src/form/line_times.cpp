#include "form/line_times.h"

#include <algorithm>
#include <cstdio>

#include "form/output_text.h"

namespace velquin::form {

void LineTimes::reset(const OutputText& text, long long now) {
  std::vector<uint32_t>().swap(offsets_);  // the old table's memory goes too
  start_ = now;
  appended(text, now);
}

void LineTimes::appended(const OutputText& text, long long now) {
  // A clock set back, or a run of more than 49 days, keeps the nearest time
  // that fits.
  const auto offset = static_cast<uint32_t>(
      std::clamp<long long>(now - start_, 0, UINT32_MAX));
  const size_t size = text.text().size();
  for (size_t ln = offsets_.size(); ln < text.lineCount(); ++ln) {
    if (text.lineStart(ln) >= size) break;
    offsets_.push_back(offset);
  }
}

std::string LineTimes::format(long long ms) {
  const long long day = 24LL * 60 * 60 * 1000;
  ms = ((ms % day) + day) % day;
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d.%03d",
                static_cast<int>(ms / 3600000), static_cast<int>(ms / 60000 % 60),
                static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000));
  return buf;
}

std::string linesWithTimes(const OutputText& text, const LineTimes& times,
                           size_t from, size_t to) {
  const size_t first = text.lineOf(from);
  size_t last = text.lineOf(to);
  // A selection that ends where a line begins does not take that line.
  if (to > from && last > first && text.lineStart(last) == to) --last;
  std::string out;
  for (size_t ln = first; ln <= last; ++ln) {
    if (ln > first) out += "\r\n";
    if (times.has(ln)) out += LineTimes::format(times.at(ln));
    out += '\t';
    out += text.line(ln);
  }
  return out;
}

}  // namespace velquin::form
