#include "app/history.h"

#include <algorithm>
#include <cctype>

#include "app/run_status.h"

namespace velquin::app {

namespace {

constexpr const char* kListName = "history";

bool blank(char c) { return c == ' ' || c == '\t'; }

// The next word of the line from pos on, blanks before it skipped.
std::string_view word(std::string_view line, size_t& pos) {
  while (pos < line.size() && blank(line[pos])) ++pos;
  const size_t from = pos;
  while (pos < line.size() && !blank(line[pos])) ++pos;
  return line.substr(from, pos - from);
}

bool sameLetters(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

bool carriesPassword(std::string_view line) {
  size_t pos = 0;
  const std::string_view program = word(line, pos);
  if (!sameLetters(program, "net") && !sameLetters(program, "net.exe"))
    return false;
  const std::string_view command = word(line, pos);
  return sameLetters(command, "user") || sameLetters(command, "use");
}

void CommandHistory::remember(std::string line, std::string time) {
  std::erase_if(entries_, [&](const HistoryEntry& e) { return e.line == line; });
  entries_.insert(entries_.begin(), {std::move(time), std::move(line)});
  if (entries_.size() > kKept) entries_.resize(kKept);
  pos_ = -1;
}

void CommandHistory::load(const std::vector<StateRow>& rows) {
  entries_.clear();
  pos_ = -1;
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
}

void HistoryUnit::formShown() { history_.load(main_.state().list(kListName)); }

void HistoryUnit::formClosing() { store(); }

void HistoryUnit::store() {
  main_.state().setList(kListName, history_.rowsToKeep());
}

void HistoryUnit::runStarting(const std::string& command) {
  // The lines of a command file are not the user's own.
  if (status_.inBatch()) return;
  history_.remember(command, main_.platform().localTimeText());
  store();
  // Written at once, so that a crash loses no line; nothing is written
  // beside a program started from a CD-ROM.
  if (main_.platform().driveType(main_.startFolder().substr(0, 3)) !=
      platform::DriveType::CdRom)
    main_.state().save();
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
    case form::Key::F7: {
      const auto& entries = history_.entries();
      const size_t n = std::min(entries.size(), kListed);
      std::vector<std::string> items;
      for (size_t i = 0; i < n; ++i)
        items.push_back(entries[i].line + "\t" + entries[i].time);
      const int pick = main_.platform().chooseFromList(items, "Edit1");
      if (pick >= 0 && static_cast<size_t>(pick) < n) {
        line = entries[static_cast<size_t>(pick)].line;
        history_.endWalk();
      }
      break;
    }
  }
  if (line) edit1_.setText(*line);
  // Up and Down in a one-line field do nothing else; F7 is ours.
  return true;
}

}  // namespace velquin::app
