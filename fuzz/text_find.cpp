// Find in the output view: the word and the text come from the input, the
// text arriving in appends cut where the input says. Whatever arrives, the
// matches found as the text grows are those found in the whole text at
// once, and they are exactly the leftmost matches of a slow reference that
// folds the whole text character by character and compares the folded
// characters.
#include <string>
#include <vector>

#include "form/text_find.h"
#include "support/memory_platform.h"

using namespace velquin;

namespace {

struct Folded {
  std::vector<char32_t> chars;
  std::vector<size_t> starts;  // where each folded character begins; + end
};

Folded fold(std::string_view s, bool matchCase) {
  Folded f;
  for (size_t p = 0; p < s.size();) {
    char32_t c;
    const size_t n = form::foldAt(s, p, matchCase, c);
    if (n == 0) fuzz::fail("folding took no byte");
    f.chars.push_back(c);
    f.starts.push_back(p);
    p += n;
  }
  f.starts.push_back(s.size());
  return f;
}

std::vector<form::Match> slowMatches(std::string_view text, std::string_view word,
                                     bool matchCase) {
  const Folded t = fold(text, matchCase), w = fold(word, matchCase);
  std::vector<form::Match> out;
  if (w.chars.empty()) return out;
  for (size_t i = 0; i + w.chars.size() <= t.chars.size();) {
    if (std::equal(w.chars.begin(), w.chars.end(), t.chars.begin() + i)) {
      out.push_back({t.starts[i], t.starts[i + w.chars.size()]});
      i += w.chars.size();
    } else {
      ++i;
    }
  }
  return out;
}

std::vector<form::Match> all(const form::TextFinder& f) {
  std::vector<form::Match> out;
  for (size_t i = 0; i < f.count(); ++i) out.push_back(f[i]);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // First byte: case rule and word length; then the word; then the text,
  // whose bytes below 8 (never in console output) mark where appends end.
  if (size < 1) return 0;
  const bool matchCase = data[0] & 1;
  const size_t wordLength = std::min<size_t>(data[0] >> 1, size - 1);
  const std::string word(reinterpret_cast<const char*>(data + 1), wordLength);
  const std::string_view rest(reinterpret_cast<const char*>(data + 1 + wordLength),
                              size - 1 - wordLength);
  std::string text;
  form::TextFinder growing(text);
  growing.setQuery(word, matchCase);
  for (size_t at = 0; at <= rest.size();) {
    size_t cut = at;
    while (cut < rest.size() && static_cast<unsigned char>(rest[cut]) >= 8) ++cut;
    text.append(rest.substr(at, cut - at));
    growing.appended();
    at = cut + 1;
  }
  std::string whole = text;
  form::TextFinder once(whole);
  once.setQuery(word, matchCase);
  growing.finish();
  once.finish();
  const std::vector<form::Match> found = all(growing);
  if (found != all(once)) fuzz::fail("matches found as the text grew differ from those at once");
  // Suspended, then looked for from the middle: matching starts over and
  // ends with the same table.
  form::TextFinder resumed(whole);
  resumed.setQuery(word, matchCase);
  resumed.suspend();
  if (resumed.count() != 0) fuzz::fail("a suspended finder kept matches");
  const size_t first = resumed.firstFrom(whole.size() / 2);
  resumed.finish();
  if (all(resumed) != found) fuzz::fail("matching again after a suspension differs");
  if ((first == form::TextFinder::npos) != found.empty())
    fuzz::fail("a match was found in a text without one, or none in one with");
  if (fuzz::validUtf8(text) && fuzz::validUtf8(word) &&
      found != slowMatches(text, word, matchCase))
    fuzz::fail("the matches are not the slow reference's");
  return 0;
}
