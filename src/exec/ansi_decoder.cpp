#include "exec/ansi_decoder.h"

#include <algorithm>
#include <cstdint>

#include "form/byte_words.h"

namespace velquin::exec {

AnsiDecoder::AnsiDecoder(platform::Platform& platform)
    : platform_(platform), bytes_(platform.ansiBytes()) {}

void AnsiDecoder::decode(std::string_view bytes, std::string& out) {
  std::string joined;
  std::string_view data = bytes;
  if (!tail_.empty()) {
    joined = tail_ + std::string(bytes);
    data = joined;
  }
  tail_.clear();
  const size_t from = out.size();
  if (bytes_.utf8) {
    // Only the last few bytes can be a cut-off character.
    size_t whole = data.size();
    for (size_t back = 1; back <= 3 && back <= data.size(); ++back) {
      const auto c = static_cast<unsigned char>(data[data.size() - back]);
      if ((c & 0xC0) == 0x80) continue;
      const size_t len = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
      if (len > back) whole = data.size() - back;
      break;
    }
    out += platform_.ansiToUtf8(data.substr(0, whole));
    tail_.assign(data.substr(whole));
    out.erase(std::remove(out.begin() + static_cast<std::ptrdiff_t>(from), out.end(), '\0'),
              out.end());
    return;
  }
  // Plain ASCII is the same in the code page and in UTF-8 and is copied as
  // it is; runs of other whole characters are converted at once; a lone
  // lead byte ends the run before it and stands for itself, and a zero byte
  // ends it and is left out.
  out.reserve(from + data.size());
  size_t run = 0;  // start of the run not yet in out
  bool ascii = true;  // the run holds only ASCII
  auto flush = [&](size_t end) {
    if (end > run) {
      if (ascii) out.append(data.substr(run, end - run));
      else out += platform_.ansiToUtf8(data.substr(run, end - run));
    }
    run = end;
    ascii = true;
  };
  size_t i = 0;
  const size_t n = data.size();
  while (i < n) {
    // Most output is plain ASCII: eight bytes at a time while none is zero
    // or above 0x7F.
    while (i + 8 <= n && !form::anyOutsideAscii(form::eightBytes(data.data() + i), 1))
      i += 8;
    if (i == n) break;
    const auto c = static_cast<unsigned char>(data[i]);
    if (c - 1u < 0x7Fu) {  // ASCII but zero
      ++i;
      continue;
    }
    if (c == 0) {
      flush(i);
      run = ++i;
      continue;
    }
    if (!bytes_.lead[c]) {
      ascii = false;
      ++i;
      continue;
    }
    if (i + 1 == n) {
      tail_.assign(data.substr(i));
      break;
    }
    if (bytes_.trail[static_cast<unsigned char>(data[i + 1])]) {
      ascii = false;
      i += 2;
      continue;
    }
    flush(i);
    out += bytes_.standIn;
    run = ++i;
  }
  flush(i);
}

std::string AnsiDecoder::finish() {
  if (tail_.empty()) return {};
  std::string out =
      bytes_.utf8 ? platform_.ansiToUtf8(tail_) : bytes_.standIn;
  tail_.clear();
  return out;
}

}  // namespace velquin::exec
