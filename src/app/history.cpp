#include "app/history.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <functional>

#include "app/run_status.h"

namespace velquin::app {

namespace {

constexpr const char* kListName = "history";

// What separates the words of a command line for the password rule:
// blanks, cmd's own separators and operators, and quotes (so that a
// quoted program name or a quoted command after cmd /c is seen as words).
bool breaksWord(char c) {
  switch (c) {
    case ' ': case '\t': case '\r': case '\n': case '"': case '&': case '|':
    case '(': case ')': case '<': case '>': case ',': case ';': case '=':
    case '@':
      return true;
    default:
      return false;
  }
}

bool sameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// The program a word names, without a folder or drive in front and .exe
// behind: C:\Windows\System32\NET.EXE is NET.
std::string_view programOf(std::string_view word) {
  const size_t cut = word.find_last_of("\\/:");
  if (cut != std::string_view::npos) word.remove_prefix(cut + 1);
  if (word.size() > 4 && sameLetters(word.substr(word.size() - 4), ".exe"))
    word.remove_suffix(4);
  return word;
}

bool startsWithLetters(std::string_view word, std::string_view head) {
  return word.size() >= head.size() && sameLetters(word.substr(0, head.size()), head);
}

// What a deletion keeps of its line: enough to know the line again, not
// the line itself, which the user wanted gone.
std::string digestOf(std::string_view line) {
  uint64_t h = 14695981039346656037ull;  // FNV-1a
  for (char c : line) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ull;
  }
  std::string out(16, '0');
  for (int i = 15; i >= 0; --i, h >>= 4) out[static_cast<size_t>(i)] = "0123456789abcdef"[h & 15];
  return out;
}

constexpr const char* kDeletedRow = "deleted";

}  // namespace

bool carriesPassword(std::string_view line) {
  // cmd drops a caret and takes the character after it as it is.
  std::vector<std::string> words(1);
  for (char c : line) {
    if (c == '^') continue;
    if (breaksWord(c)) {
      if (!words.back().empty()) words.emplace_back();
    } else {
      words.back() += c;
    }
  }
  // net (or net1) with user, users or use right after it; cmdkey with
  // /pass, schtasks with /rp or /p, sc with password= (the = ends the word)
  // anywhere after the program's name.
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string_view program = programOf(words[i]);
    if (sameLetters(program, "net") || sameLetters(program, "net1")) {
      if (i + 1 < words.size() &&
          (sameLetters(words[i + 1], "user") || sameLetters(words[i + 1], "users") ||
           sameLetters(words[i + 1], "use")))
        return true;
      continue;
    }
    const bool cmdkey = sameLetters(program, "cmdkey");
    const bool schtasks = sameLetters(program, "schtasks");
    const bool sc = sameLetters(program, "sc");
    for (size_t k = i + 1; k < words.size() && (cmdkey || schtasks || sc); ++k) {
      const std::string_view w = words[k];
      if ((cmdkey && startsWithLetters(w, "/pass")) ||
          (schtasks && (sameLetters(w, "/rp") || sameLetters(w, "/p"))) ||
          (sc && sameLetters(w, "password")))
        return true;
    }
  }
  return false;
}

void CommandHistory::remember(std::string line, std::string time) {
  std::erase_if(entries_, [&](const HistoryEntry& e) { return e.line == line; });
  entries_.insert(entries_.begin(), {std::move(time), std::move(line)});
  if (entries_.size() > kKept) entries_.resize(kKept);
  pos_ = -1;
}

void CommandHistory::forget(size_t index) {
  if (index >= entries_.size()) return;
  const HistoryEntry& e = entries_[index];
  // A line that was never written needs no word to the other windows.
  if (!carriesPassword(e.line)) {
    std::string& time = deleted_[digestOf(e.line)];
    time = std::max(time, e.time);
  }
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
  pos_ = -1;
}

bool CommandHistory::deleted(const std::string& time, const std::string& line) const {
  auto it = deleted_.find(digestOf(line));
  return it != deleted_.end() && time <= it->second;
}

void CommandHistory::takeDeletions(const std::vector<StateRow>& rows) {
  for (const StateRow& row : rows)
    if (row.size() == 3 && row[0] == kDeletedRow) {
      std::string& time = deleted_[row[2]];
      time = std::max(time, row[1]);
    }
}

std::vector<StateRow> CommandHistory::merge(const std::vector<StateRow>& onDisk) {
  takeDeletions(onDisk);
  // The lines of both, this window's first within a second. A line that is
  // not on disk any more is kept all the same: only a deletion takes it
  // away, never a write of another window that did not have it.
  std::vector<HistoryEntry> all = entries_;
  for (const StateRow& row : onDisk)
    if (row.size() == 2 && !row[1].empty() && !carriesPassword(row[1]))
      all.push_back({row[0], row[1]});
  std::stable_sort(all.begin(), all.end(),
                   [](const HistoryEntry& a, const HistoryEntry& b) {
                     return a.time > b.time;
                   });
  std::set<std::string> seen;
  entries_.clear();
  for (HistoryEntry& e : all)
    if (entries_.size() < kKept && !deleted(e.time, e.line) && seen.insert(e.line).second)
      entries_.push_back(std::move(e));
  pos_ = -1;
  return rowsToKeep();
}

void CommandHistory::load(const std::vector<StateRow>& rows) {
  entries_.clear();
  deleted_.clear();
  pos_ = -1;
  takeDeletions(rows);
  for (const StateRow& row : rows) {
    if (row.size() != 2 || row[1].empty() || carriesPassword(row[1]) ||
        deleted(row[0], row[1]))
      continue;
    const bool seen = std::any_of(entries_.begin(), entries_.end(),
                                  [&](const HistoryEntry& e) {
                                    return e.line == row[1];
                                  });
    if (!seen) entries_.push_back({row[0], row[1]});
    if (entries_.size() == kKept) break;
  }
}

std::vector<StateRow> CommandHistory::rowsToKeep() const {
  std::vector<StateRow> rows;
  for (const HistoryEntry& e : entries_)
    if (!carriesPassword(e.line)) rows.push_back({e.time, e.line});
  // The newest deletions, as many as there are lines at most: one older
  // than them all concerns a line long gone from every window.
  std::vector<std::pair<std::string, std::string>> gone;
  for (const auto& [digest, time] : deleted_) gone.push_back({time, digest});
  std::sort(gone.begin(), gone.end(), std::greater<>());
  if (gone.size() > kKept) gone.resize(kKept);
  for (const auto& [time, digest] : gone) rows.push_back({kDeletedRow, time, digest});
  return rows;
}

std::optional<std::string> CommandHistory::older(const std::string& current) {
  if (pos_ >= 0 && current != entries_[pos_].line) pos_ = -1;
  if (pos_ + 1 >= static_cast<int>(entries_.size())) return std::nullopt;
  if (pos_ < 0) typed_ = current;
  ++pos_;
  return entries_[pos_].line;
}

std::optional<std::string> CommandHistory::newer(const std::string& current) {
  if (pos_ >= 0 && current != entries_[pos_].line) pos_ = -1;
  if (pos_ < 0) return std::nullopt;
  --pos_;
  return pos_ < 0 ? typed_ : entries_[pos_].line;
}

HistoryUnit::HistoryUnit(TfrmMain& main, const RunStatus& status)
    : main_(main), status_(status), edit1_(main["Edit1"]) {
  edit1_.onKey = [this](form::Key key) { return edit1Key(key); };
  main_.state().share(kListName, *this);
}

void HistoryUnit::formShown() { history_.load(main_.state().list(kListName)); }

void HistoryUnit::save(bool soon) {
  // Nothing is written beside a program started from a CD-ROM.
  if (main_.platform().driveType(main_.startFolder().substr(0, 3)) ==
      platform::DriveType::CdRom)
    return;
  if (soon)
    main_.state().saveSoon();
  else
    main_.state().save();
}

void HistoryUnit::runStarting(const std::string& command) {
  // The lines of a command file are not the user's own.
  if (status_.inBatch()) return;
  history_.remember(command, main_.platform().localTimeText());
  // A line run again and again moves only its time: it may wait a little.
  save(true);
}

std::optional<std::string> HistoryUnit::listed() {
  int lit = 0;
  for (;;) {
    const auto& entries = history_.entries();
    const size_t n = std::min(entries.size(), kListed);
    if (n == 0) return std::nullopt;
    std::vector<std::string> items;
    for (size_t i = 0; i < n; ++i)
      items.push_back(entries[i].line + "\t" + entries[i].time);
    const platform::ListChoice pick =
        main_.platform().chooseFromList(items, "Edit1", std::min<int>(lit, n - 1));
    if (pick.index < 0 || static_cast<size_t>(pick.index) >= n) return std::nullopt;
    if (!pick.remove) {
      history_.endWalk();
      return entries[static_cast<size_t>(pick.index)].line;
    }
    // Gone from the file at once; the list comes back with the next line
    // in the deleted one's place.
    history_.forget(static_cast<size_t>(pick.index));
    save(false);
    lit = pick.index;
  }
}

bool HistoryUnit::edit1Key(form::Key key) {
  std::optional<std::string> line;
  switch (key) {
    case form::Key::Up:
      line = history_.older(edit1_.text());
      break;
    case form::Key::Down:
      line = history_.newer(edit1_.text());
      break;
    case form::Key::F7:
      line = listed();
      break;
  }
  if (line) edit1_.setText(*line);
  // Up and Down in a one-line field do nothing else; F7 is ours.
  return true;
}

}  // namespace velquin::app
