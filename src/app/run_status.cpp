#include "app/run_status.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

#include "form/byte_words.h"

namespace velquin::app {

namespace {

constexpr const char* kRunning = "実行中";

// The system's messages that mean rights are missing.
constexpr std::array<std::string_view, 4> kDenied{
    "アクセスが拒否されました",
    "要求された操作には管理者特権が必要です",
    "Access is denied",
    "The requested operation requires elevation",
};

size_t longestDenied() {
  size_t n = 0;
  for (std::string_view m : kDenied) n = std::max(n, m.size());
  return n;
}

}  // namespace

std::string tenths(int64_t ms) {
  const int64_t t = (std::max<int64_t>(ms, 0) + 50) / 100;
  return std::to_string(t / 10) + "." + std::to_string(t % 10);
}

std::string endText(const exec::RunEnd& end, int64_t ms) {
  using How = exec::RunEnd::How;
  switch (end.how) {
    case How::Exited: {
      std::string code;
      if (end.exitCode >= 0x80000000u) {
        // Status codes (0xC000013A after Ctrl-C) read as they are written.
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%08X", end.exitCode);
        code = hex;
      } else {
        code = std::to_string(end.exitCode);
      }
      return "終了コード " + code + " (" + tenths(ms) + " 秒)";
    }
    case How::Stopped:
    case How::Closed:
      return "停止しました (" + tenths(ms) + " 秒)";
    case How::NotStarted:
      return "起動できませんでした: " + end.error;
  }
  return {};
}

bool lacksRights(std::string_view output) {
  // One pass over the output, comparing only where a message may begin and
  // skipping eight bytes at a time where none does: output comes in pieces
  // of up to a megabyte, and under Wine a search for each message in turn
  // goes through it a byte at a time, four times. A message may begin
  // where its first two bytes are (the first alone is in every other
  // Japanese character); the eight places are looked at together, one
  // message's two bytes at a time.
  // The first two bytes of each message in every byte of a word.
  constexpr auto bytes = [](size_t message, size_t at) {
    return form::kEveryByte * static_cast<unsigned char>(kDenied[message][at]);
  };
  static_assert(kDenied.size() == 4, "a place for each message below");
  static constexpr uint64_t f0 = bytes(0, 0), s0 = bytes(0, 1), f1 = bytes(1, 0),
                            s1 = bytes(1, 1), f2 = bytes(2, 0), s2 = bytes(2, 1),
                            f3 = bytes(3, 0), s3 = bytes(3, 1);
  // A zero byte where both bytes match (and perhaps above one: only a
  // closer look decides).
  constexpr auto both = [](uint64_t here, uint64_t next, uint64_t first, uint64_t second) {
    const uint64_t x = (here ^ first) | (next ^ second);
    return (x - form::kEveryByte) & ~x;
  };
  auto mayBegin = [both](uint64_t here, uint64_t next) {
    return ((both(here, next, f0, s0) | both(here, next, f1, s1) | both(here, next, f2, s2) |
             both(here, next, f3, s3)) &
            form::kEveryHighBit) != 0;
  };
  auto at = [output](size_t q) {
    for (std::string_view m : kDenied)
      if (output[q] == m[0] && output.substr(q, m.size()) == m) return true;
    return false;
  };
  size_t p = 0;
  for (; p + 9 <= output.size(); p += 8) {
    if (!mayBegin(form::eightBytes(output.data() + p), form::eightBytes(output.data() + p + 1)))
      continue;
    for (size_t q = p; q < p + 8; ++q)
      if (at(q)) return true;
  }
  for (; p < output.size(); ++p)
    if (at(p)) return true;
  return false;
}

std::optional<std::string> handOverChannel(const std::vector<std::string>& args) {
  for (size_t i = 1; i < args.size(); ++i)
    if (args[i] == kHandOverOption)
      return i + 1 < args.size() ? args[i + 1] : std::string();
  return std::nullopt;
}

RunStatus::RunStatus(TfrmMain& main)
    : main_(main), bar_(main["StatusBar1"]), elevated_(main.platform().elevated()) {
  bar_.onClick = [this] { StatusBar1Click(); };
  if (!elevated_)
    main_.form().addWindowCommand({kRestartElevated, [this] { restartElevated(); }});
}

void RunStatus::formShown() {
  if (elevated_) bar_.addItem(kElevatedPart);
}

void RunStatus::show(const std::string& text) {
  shown_ = text;
  std::string line;
  if (batchTotal_ > 0)
    line = "自動実行 " + std::to_string(batchLine_) + " / " +
           std::to_string(batchTotal_) + " 行目  ";
  for (const Around& a : around_) line += a.front;
  line += text;
  for (const Around& a : around_) line += a.back;
  bar_.setText(line);
}

void RunStatus::setAround(const std::string& owner, std::string front,
                          std::string back) {
  auto it = std::find_if(around_.begin(), around_.end(),
                         [&](const Around& a) { return a.owner == owner; });
  if (front.empty() && back.empty()) {
    if (it != around_.end()) around_.erase(it);
  } else if (it == around_.end()) {
    around_.push_back({owner, std::move(front), std::move(back)});
  } else {
    it->front = std::move(front);
    it->back = std::move(back);
  }
  show(shown_);
}

void RunStatus::showRunning() {
  const int64_t s = (main_.platform().steadyMs() - starts_.back()) / 1000;
  shownSecond_ = s;
  show(std::string(kRunning) + " (" + std::to_string(s) + " 秒)");
}

void RunStatus::batchLine(size_t k, size_t n) {
  batchLine_ = k;
  batchTotal_ = n;
  if (starts_.empty()) show(lastEnd_);
}

void RunStatus::batchEnded() {
  batchLine_ = batchTotal_ = 0;
  if (starts_.empty()) show(lastEnd_);
}

void RunStatus::runStarting(const std::string&) {
  starts_.push_back(main_.platform().steadyMs());
  seen_.clear();
  lacksRights_ = false;
  hintShown_ = false;
  showRunning();
}

void RunStatus::runPassing() {
  if (starts_.empty()) return;
  if ((main_.platform().steadyMs() - starts_.back()) / 1000 != shownSecond_)
    showRunning();
}

void RunStatus::runOutput(std::string_view text) {
  if (lacksRights_) return;
  // Only the end of what came before is kept: enough for a message that a
  // read cut in two, found in it joined with the start of the new text.
  const size_t keep = longestDenied();
  seen_ += text.substr(0, keep);
  lacksRights_ = lacksRights(seen_) || (text.size() > keep && lacksRights(text));
  if (text.size() > keep) seen_.assign(text.substr(text.size() - keep));
  else if (seen_.size() > keep) seen_.erase(0, seen_.size() - keep);
}

void RunStatus::runEnded(const exec::RunEnd& end) {
  if (starts_.empty()) return;
  const int64_t ms = main_.platform().steadyMs() - starts_.back();
  starts_.pop_back();
  lastEnd_ = endText(end, ms);
  hintShown_ = lacksRights_ && !elevated_;
  if (hintShown_) lastEnd_ += "  " + std::string(kRightsHint);
  lacksRights_ = false;
  show(lastEnd_);
}

void RunStatus::carriedOver(const std::optional<std::string>& text) {
  if (text)
    main_["Edit1"].setText(*text);
  else
    show(kCarryFailed);
}

void RunStatus::StatusBar1Click() {
  if (hintShown_) restartElevated();
}

bool RunStatus::handedOver() {
  platform::Platform& os = main_.platform();
  handingOver_ = true;
  show(kHandingOver);
  std::optional<bool> taken;
  while (!(taken = os.offerTaken()) && !os.quitting()) os.pumpMessages(100);
  handingOver_ = false;
  return taken.value_or(false);
}

void RunStatus::restartElevated() {
  if (handingOver_) return;
  platform::Platform& os = main_.platform();
  const std::string line = main_["Edit1"].text();
  std::string arguments, channel;
  if (!line.empty()) {
    // Only the channel's name goes on the command line. Without a channel
    // the option still goes, with a name that leads nowhere, so that the
    // new instance tells the user the line was not carried over.
    channel = os.offerText(line);
    arguments = std::string(kHandOverOption) + " " + (channel.empty() ? "-" : channel);
  }
  std::string error;
  switch (os.startElevated(arguments, main_.startFolder(), error)) {
    case platform::Platform::ElevatedStart::Started:
      hintShown_ = false;
      if (!line.empty() && (channel.empty() || !handedOver())) {
        // The line is still here, and nowhere else.
        show(kHandOverFailed);
        return;
      }
      // Closed as by its close box: the settings are written.
      os.closeMainWindow();
      return;
    case platform::Platform::ElevatedStart::Cancelled:
      hintShown_ = false;
      show(kRestartCancelled);
      return;
    case platform::Platform::ElevatedStart::Failed:
      hintShown_ = false;
      show(kRestartFailed + error);
      return;
  }
}

}  // namespace velquin::app
