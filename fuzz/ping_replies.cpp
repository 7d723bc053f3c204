// The reader of echo replies: output that arrives in pieces of any kind
// (lines cut anywhere, CR and LF apart, text that only looks like ping's)
// gives the same targets and figures as the whole text read at once, the
// figures agree with one another, and the graph's view of them (range,
// scale, columns, nearest point) stays within the points.
#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <vector>

#include "form/graph_doc.h"
#include "form/output_doc.h"
#include "reading/ping_replies.h"

using namespace velquin;

namespace {

// The replies as a drawing's source.
class Source : public form::GraphSource {
 public:
  explicit Source(const reading::PingReplies& r) : r_(r) {}
  size_t seriesCount() const override { return r_.targets().size(); }
  size_t pointCount(size_t s) const override { return r_.targets()[s]->size(); }
  Run run(size_t s, size_t i) const override {
    const reading::PingSeries& t = *r_.targets()[s];
    return {t.times(i), t.values(i), t.together(i)};
  }
  std::string describe(size_t, size_t) const override { return ""; }

 private:
  const reading::PingReplies& r_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const int pieces = in.ConsumeIntegralInRange(1, 8);
  std::vector<std::string> parts;
  for (int i = 0; i < pieces; ++i) parts.push_back(in.ConsumeRandomLengthString(4096));

  // In pieces, the clock moving between them, and at once.
  std::string text = "ping\r\n";
  long long now = 1000;
  form::OutputDoc doc(text);
  doc.setClock([&now] { return now; });
  doc.reset();
  reading::PingFollower pieces1;
  pieces1.follow(doc.text(), doc.times());
  std::string whole = text;
  for (const std::string& p : parts) {
    text += p;
    whole += p;
    now += 997;
    doc.appended();
    pieces1.follow(doc.text(), doc.times());
  }
  std::string once = whole;
  form::OutputDoc onceDoc(once);
  onceDoc.reset();
  reading::PingFollower at;
  at.follow(onceDoc.text(), onceDoc.times());
  if (reading::statsText(pieces1.replies()) != reading::statsText(at.replies())) __builtin_trap();

  for (const auto& t : pieces1.replies().targets()) {
    if (t->received() > t->sent() || t->min() > t->max()) __builtin_trap();
    if (t->received() > 0 && (t->sum() < t->min() * t->received() ||
                              t->sum() > t->max() * t->received()))
      __builtin_trap();
    for (size_t i = 1; i < t->size(); ++i)
      if (t->time(i) < t->time(i - 1)) __builtin_trap();
    for (const reading::Outage& o : t->outages())
      if (o.to >= 0 && o.to < o.from) __builtin_trap();
  }

  Source src(pieces1.replies());
  form::GraphDoc graph(src);
  graph.setSpan(in.ConsumeIntegralInRange<long long>(0, 10'000));
  graph.setFixedTop(in.ConsumeIntegralInRange(0, 2));
  const form::GraphDoc::Window w = graph.window();
  if (graph.top() <= 0) __builtin_trap();
  std::vector<form::GraphDoc::Column> cols;
  const int width = in.ConsumeIntegralInRange(0, 300);
  const form::GraphDoc::Frame frame = graph.frame();
  if (!w.empty && (frame.span <= 0 || frame.from > w.to || frame.from + frame.span < w.to))
    __builtin_trap();
  for (size_t s = 0; s < src.seriesCount(); ++s) {
    graph.columns(s, frame.from, frame.span, width, cols);
    if (cols.size() != static_cast<size_t>(width)) __builtin_trap();
    for (const auto& c : cols)
      if (c.any && (c.low > c.high || c.first < c.low || c.last > c.high)) __builtin_trap();
    // The newest point of all, where the frame ends, is in its last column.
    const size_t n = src.pointCount(s);
    if (width > 0 && n > 0 && src.timeAt(s, n - 1) == frame.from + frame.span &&
        !cols.back().any && cols.back().lost == 0)
      __builtin_trap();
  }
  const form::GraphDoc::Nearest n = graph.nearest(in.ConsumeIntegral<int>(), 0);
  if (n.found && (n.series >= src.seriesCount() || n.index >= src.pointCount(n.series)))
    __builtin_trap();
  return 0;
}
