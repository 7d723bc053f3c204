#include "app/user_state.h"

namespace velquin::app {

namespace {

constexpr std::string_view kHeader = "Velquin state 1";
constexpr std::string_view kValueRecord = "=";

std::string escape(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (char c : field) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
  return out;
}

std::optional<std::string> unescape(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\') {
      out += field[i];
      continue;
    }
    if (++i == field.size()) return std::nullopt;
    switch (field[i]) {
      case '\\': out += '\\'; break;
      case 't': out += '\t'; break;
      case 'r': out += '\r'; break;
      case 'n': out += '\n'; break;
      default: return std::nullopt;
    }
  }
  return out;
}

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no
// surrogates, nothing past U+10FFFF.
bool validUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    size_t extra;
    if (b < 0x80) {
      ++i;
      continue;
    } else if ((b & 0xE0) == 0xC0) {
      extra = 1;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2;
    } else if ((b & 0xF8) == 0xF0) {
      extra = 3;
    } else {
      return false;
    }
    if (s.size() - i <= extra) return false;
    unsigned cp = b & (0x3Fu >> extra);
    for (size_t k = 1; k <= extra; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr unsigned kLeast[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kLeast[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
      return false;
    i += extra + 1;
  }
  return true;
}

std::vector<std::string_view> splitTabs(std::string_view line) {
  std::vector<std::string_view> fields;
  size_t at = 0;
  for (;;) {
    size_t tab = line.find('\t', at);
    fields.push_back(line.substr(at, tab == std::string_view::npos
                                         ? std::string_view::npos
                                         : tab - at));
    if (tab == std::string_view::npos) return fields;
    at = tab + 1;
  }
}

}  // namespace

std::string encodeState(const StateData& data) {
  std::string out(kHeader);
  out += '\n';
  for (const auto& [name, value] : data.values)
    out += std::string(kValueRecord) + '\t' + escape(name) + '\t' +
           escape(value) + '\n';
  for (const auto& [name, rows] : data.lists) {
    for (const StateRow& row : rows) {
      out += escape(name);
      for (const std::string& field : row) out += '\t' + escape(field);
      out += '\n';
    }
  }
  return out;
}

std::optional<StateData> decodeState(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  if (!validUtf8(bytes)) return std::nullopt;
  StateData data;
  bool first = true;
  size_t at = 0;
  while (at < bytes.size()) {
    size_t end = bytes.find('\n', at);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(at, end - at);
    at = end + 1;
    // Raw CRs only come from line ends made by an editor: a CR inside a
    // field is always escaped.
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (first) {
      if (line != kHeader) return std::nullopt;
      first = false;
      continue;
    }
    if (line.empty()) continue;
    std::vector<std::string> fields;
    for (std::string_view f : splitTabs(line)) {
      std::optional<std::string> u = unescape(f);
      if (!u) return std::nullopt;
      fields.push_back(std::move(*u));
    }
    if (fields[0].empty()) return std::nullopt;
    if (fields[0] == kValueRecord) {
      if (fields.size() != 3) return std::nullopt;
      data.values[fields[1]] = fields[2];
    } else {
      std::string name = std::move(fields[0]);
      fields.erase(fields.begin());
      data.lists[name].push_back(std::move(fields));
    }
  }
  if (first) return std::nullopt;  // not even the first line
  return data;
}

void UserState::load(const std::string& folder) {
  folder_ = folder;
  loaded_ = true;
  data_ = {};
  const std::string path = folder_ + "\\" + kStateFile;
  std::string bytes;
  // None yet, or unreadable for now: what it holds is merged in at the
  // first write that can read it.
  if (!os_.readFile(path, bytes).ok) return;
  if (std::optional<StateData> d = decodeState(bytes)) {
    data_ = std::move(*d);
    return;
  }
  // Kept for whoever wants to look at it; the next save starts afresh.
  os_.renameFile(path, folder_ + "\\" + kStateAside);
}

void UserState::saveSoon() {
  if (held_ && lastWrite_ >= 0 && os_.steadyMs() - lastWrite_ < kHeldGapMs) {
    waiting_ = true;
    return;
  }
  save();
}

void UserState::holdWrites(bool held) {
  held_ = held;
  if (!held && waiting_) save();
}

platform::IoResult UserState::save() {
  if (!loaded_) return {false, "no folder"};
  lastWrite_ = os_.steadyMs();
  waiting_ = true;  // until written
  // Another instance between its read and its replace would write over
  // what this one writes now, or this one over its.
  const std::unique_ptr<platform::Platform::FolderLock> lock =
      os_.lockFolder(folder_, kLockWaitMs);
  if (!lock) return {false, "locked"};
  const std::string path = folder_ + "\\" + kStateFile;
  StateData merged;
  std::string bytes;
  const platform::IoResult read = os_.readFile(path, bytes);
  if (read.ok) {
    if (std::optional<StateData> d = decodeState(bytes))
      merged = std::move(*d);
    else
      os_.renameFile(path, folder_ + "\\" + kStateAside);
  } else if (!read.missing) {
    // Locked for a moment, or worse: what it holds is not ours to lose.
    return read;
  }
  for (const std::string& name : setValues_) merged.values[name] = data_.values[name];
  for (const std::string& name : setLists_) {
    auto it = data_.lists.find(name);
    if (it == data_.lists.end())
      merged.lists.erase(name);
    else
      merged.lists[name] = it->second;
  }
  for (const auto& [name, owner] : shared_) {
    std::vector<StateRow> rows = owner->merge(list(name, merged));
    if (rows.empty())
      merged.lists.erase(name);
    else
      merged.lists[name] = std::move(rows);
  }
  const platform::IoResult wrote = os_.writeFile(path, encodeState(merged));
  data_ = std::move(merged);
  waiting_ = !wrote.ok;
  return wrote;
}

void UserState::share(std::string name, SharedList& owner) {
  shared_[std::move(name)] = &owner;
}

std::string UserState::value(std::string_view name,
                             std::string_view fallback) const {
  auto it = data_.values.find(name);
  return it == data_.values.end() ? std::string(fallback) : it->second;
}

void UserState::setValue(std::string name, std::string value) {
  setValues_.insert(name);
  data_.values[std::move(name)] = std::move(value);
}

bool UserState::flag(std::string_view name, bool fallback) const {
  std::string v = value(name, fallback ? "1" : "0");
  return v == "1";
}

void UserState::setFlag(std::string name, bool on) {
  setValue(std::move(name), on ? "1" : "0");
}

const std::vector<StateRow>& UserState::list(std::string_view name) const {
  return list(name, data_);
}

const std::vector<StateRow>& UserState::list(std::string_view name,
                                             const StateData& data) {
  static const std::vector<StateRow> kNone;
  auto it = data.lists.find(name);
  return it == data.lists.end() ? kNone : it->second;
}

void UserState::setList(std::string name, std::vector<StateRow> rows) {
  setLists_.insert(name);
  if (rows.empty())
    data_.lists.erase(name);
  else
    data_.lists[std::move(name)] = std::move(rows);
}

}  // namespace velquin::app
