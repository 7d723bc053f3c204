#include "app/history.h"

#include <algorithm>
#include <cctype>

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

// net or net1, with any folder or drive in front and .exe or not behind.
bool namesNet(std::string_view word) {
  const size_t cut = word.find_last_of("\\/:");
  if (cut != std::string_view::npos) word.remove_prefix(cut + 1);
  if (word.size() > 4 && sameLetters(word.substr(word.size() - 4), ".exe"))
    word.remove_suffix(4);
  return sameLetters(word, "net") || sameLetters(word, "net1");
}

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
  for (size_t i = 0; i + 1 < words.size(); ++i)
    if (namesNet(words[i]) &&
        (sameLetters(words[i + 1], "user") || sameLetters(words[i + 1], "use")))
      return true;
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
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(index));
  pos_ = -1;
}

void CommandHistory::knowOnDisk(const std::vector<StateRow>& rows) {
  onDisk_.clear();
  for (const StateRow& row : rows)
    if (row.size() == 2) onDisk_.insert({row[0], row[1]});
}

std::vector<StateRow> CommandHistory::merge(const std::vector<StateRow>& onDisk) {
  std::set<std::pair<std::string, std::string>> there, here;
  for (const StateRow& row : onDisk)
    if (row.size() == 2) there.insert({row[0], row[1]});
  std::vector<HistoryEntry> all;
  for (const HistoryEntry& e : entries_) {
    const std::pair<std::string, std::string> key{e.time, e.line};
    here.insert(key);
    if (!onDisk_.contains(key) || there.contains(key)) all.push_back(e);
  }
  for (const StateRow& row : onDisk) {
    if (row.size() != 2 || row[1].empty() || carriesPassword(row[1])) continue;
    const std::pair<std::string, std::string> key{row[0], row[1]};
    if (!onDisk_.contains(key) && !here.contains(key)) all.push_back({row[0], row[1]});
  }
  // Lines of the same second keep their order: this window's first.
  std::stable_sort(all.begin(), all.end(),
                   [](const HistoryEntry& a, const HistoryEntry& b) {
                     return a.time > b.time;
                   });
  std::set<std::string> seen;
  entries_.clear();
  for (HistoryEntry& e : all)
    if (entries_.size() < kKept && seen.insert(e.line).second)
      entries_.push_back(std::move(e));
  pos_ = -1;
  knowOnDisk(onDisk);
  return rowsToKeep();
}

void CommandHistory::written(const std::vector<StateRow>& rows) {
  knowOnDisk(rows);
}

void CommandHistory::load(const std::vector<StateRow>& rows) {
  entries_.clear();
  pos_ = -1;
  knowOnDisk(rows);
  for (const StateRow& row : rows) {
    if (row.size() != 2 || row[1].empty() || carriesPassword(row[1])) continue;
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

void HistoryUnit::save() {
  // Nothing is written beside a program started from a CD-ROM.
  if (main_.platform().driveType(main_.startFolder().substr(0, 3)) !=
      platform::DriveType::CdRom)
    main_.state().save();
}

void HistoryUnit::runStarting(const std::string& command) {
  // The lines of a command file are not the user's own.
  if (status_.inBatch()) return;
  history_.remember(command, main_.platform().localTimeText());
  save();
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
    save();
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
