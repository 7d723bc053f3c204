#include "support/memory_platform.h"

#include <iconv.h>

#include <array>
#include <cstdio>
#include <cstdlib>

namespace velquin::fuzz {

namespace {

constexpr const char* kStandIn = "・";
constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// Every character of code page 932 in UTF-8, converted once by iconv; the
// ones it does not know become the stand-in, as on Windows.
struct ShiftJisTable {
  platform::AnsiBytes bytes = shiftJisBytes();
  std::array<std::string, 256> single;
  std::vector<std::string> pair = std::vector<std::string>(65536);

  ShiftJisTable() {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    auto convert = [cd](const char* in, size_t size) {
      char buf[16];
      char* src = const_cast<char*>(in);
      char* dst = buf;
      size_t left = size, room = sizeof buf;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &src, &left, &dst, &room) == static_cast<size_t>(-1) || left)
        return std::string(kStandIn);
      return std::string(buf, dst - buf);
    };
    for (int c = 0x80; c < 256; ++c) {
      const char one[] = {static_cast<char>(c)};
      single[c] = bytes.lead[c] ? kStandIn : convert(one, 1);
      if (!bytes.lead[c]) continue;
      for (int t = 0; t < 256; ++t)
        if (bytes.trail[t]) {
          const char two[] = {static_cast<char>(c), static_cast<char>(t)};
          pair[c << 8 | t] = convert(two, 2);
        }
    }
    iconv_close(cd);
  }
};

const ShiftJisTable& table() {
  static const ShiftJisTable t;
  return t;
}

}  // namespace

void fail(const char* what) {
  std::fprintf(stderr, "PROPERTY FAILED: %s\n", what);
  std::abort();
}

platform::AnsiBytes shiftJisBytes() {
  // Lead bytes 0x81-0x9F and 0xE0-0xFC, trail bytes 0x40-0x7E and 0x80-0xFC.
  platform::AnsiBytes b;
  for (int c = 0; c < 256; ++c) {
    b.lead[c] = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    b.trail[c] = (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
  }
  b.standIn = kStandIn;
  return b;
}

std::string shiftJisToUtf8(std::string_view s) {
  const ShiftJisTable& t = table();
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (t.bytes.lead[c] && i + 1 < s.size() &&
               t.bytes.trail[static_cast<unsigned char>(s[i + 1])]) {
      out += t.pair[c << 8 | static_cast<unsigned char>(s[++i])];
    } else {
      out += t.single[c];
    }
  }
  return out;
}

std::string utf8ToUtf8(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      out += s[i++];
      continue;
    }
    size_t len = 0;
    unsigned lo = 0x80, hi = 0xBF;  // range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3;
      if (c == 0xE0) lo = 0xA0;
      if (c == 0xED) hi = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4;
      if (c == 0xF0) lo = 0x90;
      if (c == 0xF4) hi = 0x8F;
    } else {
      out += kReplacement;
      ++i;
      continue;
    }
    size_t j = 1;
    for (; j < len && i + j < s.size(); ++j) {
      const auto d = static_cast<unsigned char>(s[i + j]);
      if (d < lo || d > hi) break;
      lo = 0x80;
      hi = 0xBF;
    }
    if (j == len) out.append(s.substr(i, len));
    else out += kReplacement;
    i += j;
  }
  return out;
}

std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    out.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) out.emplace_back(text.substr(start));
  return out;
}

bool MemoryPlatform::badName(std::string_view name) {
  if (name.empty()) return true;
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20 ||
        std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos)
      return true;
  return false;
}

bool MemoryPlatform::openDialog(platform::FileDialog& dialog) {
  if (dialogAnswers.empty()) return false;
  std::string a = dialogAnswers.front();
  dialogAnswers.pop_front();
  if (a.empty()) return false;
  dialog.fileName = a;
  return true;
}

platform::IoResult MemoryPlatform::readTextFile(const std::string& path,
                                                std::string& text) {
  auto it = files.find(path);
  if (it == files.end()) return {false, "ファイルを開けません。", true};
  text = it->second;
  return {};
}

platform::IoResult MemoryPlatform::writeTextFile(const std::string& path,
                                                 const std::string& text,
                                                 bool* lossy) {
  // Within the start folder the name after it (and after Data) must be one
  // that Windows takes; a path the harness chose elsewhere is taken as is.
  const std::string folder = std::string(kFolder) + "\\";
  if (path.starts_with(folder)) {
    std::string_view name = std::string_view(path).substr(folder.size());
    if (name.starts_with("Data\\")) name.remove_prefix(5);
    if (badName(name)) return {false, "ファイル " + path + " を作成できません。"};
  }
  files[path] = text;
  written.emplace_back(path, text);
  if (lossy) *lossy = false;
  return {};
}

platform::IoResult MemoryPlatform::renameFile(const std::string& from,
                                              const std::string& to) {
  auto it = files.find(from);
  if (it == files.end()) return {false, "ファイルを開けません。"};
  std::string text = std::move(it->second);
  files.erase(it);
  files[to] = std::move(text);
  return {};
}

platform::AnsiBytes MemoryPlatform::ansiBytes() {
  if (!utf8_) return shiftJisBytes();
  platform::AnsiBytes b;
  b.utf8 = true;
  b.standIn = kReplacement;
  return b;
}

std::string MemoryPlatform::ansiToUtf8(std::string_view bytes) {
  return utf8_ ? utf8ToUtf8(bytes) : shiftJisToUtf8(bytes);
}

}  // namespace velquin::fuzz
