// The traced host of a tracert output: whatever the text, a host found is
// one word with its address, the same whether lines end in CR LF or LF, the
// same when the text is followed as it grows in pieces, and every hop line
// read keeps its number and probe times in range.
#include <string>

#include "form/line_times.h"
#include "form/output_text.h"
#include "reading/tracert_route.h"
#include "support/memory_platform.h"

using namespace velquin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const reading::TracedHost h = reading::readTracedHost(text);
  if (h.found) {
    for (const std::string& s : {h.host, h.address})
      if (s.empty() || s.find_first_of(" \t\r\n[]") != std::string::npos)
        fuzz::fail("a traced host is not one word");
  } else if (!h.host.empty() || !h.address.empty()) {
    fuzz::fail("no host found, yet a host given");
  }
  std::string lf;
  for (size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lf += text[i];
  const reading::TracedHost l = reading::readTracedHost(lf);
  if (l.found != h.found || l.host != h.host || l.address != h.address)
    fuzz::fail("line endings changed the traced host");
  // Followed as it arrives in three pieces, looked at after each: the host
  // of the whole lines.
  std::string grown;
  form::OutputText out(grown);
  form::LineTimes times;
  times.reset(out, 0);
  reading::TracertFollower follower;
  const size_t cut1 = size ? data[0] % (size + 1) : 0;
  const size_t cut2 = cut1 + (size - cut1) / 2;
  for (size_t end : {cut1, cut2, size}) {
    grown.append(text, grown.size(), end - grown.size());
    out.appended();
    times.appended(out, 0);
    follower.follow(out, times);
  }
  const size_t whole = text.find_last_of("\r\n");
  const reading::TracedHost w =
      reading::readTracedHost(whole == std::string::npos ? "" : text.substr(0, whole + 1));
  const reading::TracedHost& f = follower.follow(out, times);
  if (f.found != w.found || f.host != w.host || f.address != w.address)
    fuzz::fail("following the text in pieces changed the traced host");
  for (const std::string& line : fuzz::splitLines(text)) {
    const reading::TracertHop hop = reading::readTracertHop(line);
    if (!hop.found) continue;
    if (hop.hop < 1 || hop.hop > 255 || hop.where.empty())
      fuzz::fail("a hop line out of range");
    for (int ms : hop.probes)
      if (ms < -1) fuzz::fail("a probe time below -1");
  }
  return 0;
}
