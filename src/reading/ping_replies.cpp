#include "reading/ping_replies.h"

#include <algorithm>
#include <cstdlib>

#include "form/line_times.h"
#include "form/output_text.h"

namespace velquin::reading {

namespace {

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' ||
                        s.back() == '\n'))
    s.remove_suffix(1);
  return s;
}

bool contains(std::string_view s, std::string_view part) {
  return s.find(part) != std::string_view::npos;
}

// "=3ms", " <1ms", "= 12 ms" after the word for time: the milliseconds,
// "<1" counting as 0; -1 when no time follows.
int32_t timeAfter(std::string_view s) {
  s = trim(s);
  if (s.empty() || (s[0] != '=' && s[0] != '<')) return -1;
  const bool under = s[0] == '<';
  s = trim(s.substr(1));
  long long ms = 0;
  size_t digits = 0;
  while (digits < s.size() && s[digits] >= '0' && s[digits] <= '9' && digits < 9)
    ms = ms * 10 + (s[digits++] - '0');
  if (digits == 0) return -1;
  s = trim(s.substr(digits));
  if (s.substr(0, 2) != "ms") return -1;
  return under ? 0 : static_cast<int32_t>(ms);
}

// What follows "<address> からの応答:" or "Reply from <address>:".
PingLine readReply(std::string_view rest, std::string_view timeWord) {
  PingLine out;
  const size_t at = rest.find(timeWord);
  if (at != std::string_view::npos) {
    const int32_t ms = timeAfter(rest.substr(at + timeWord.size()));
    if (ms >= 0) {
      out.kind = PingLine::Kind::Reply;
      out.value = ms;
    }
    return out;
  }
  out.kind = PingLine::Kind::Reply;
  if (contains(rest, "到達できません") || contains(rest, "unreachable"))
    out.value = kUnreachable;
  else if (contains(rest, "TTL が期限切れ") || contains(rest, "TTL expired"))
    out.value = kTtlExpired;
  else
    out.kind = PingLine::Kind::Other;
  return out;
}

}  // namespace

PingLine readPingLine(std::string_view line) {
  line = trim(line);
  PingLine out;
  if (line == "要求がタイムアウトしました。" || line == "Request timed out.") {
    out.kind = PingLine::Kind::Reply;
    out.value = kTimedOut;
    return out;
  }
  // "PING: transmit failed. General failure.", "… Error code 1231." (the
  // cable pulled): the system could not send the request, and ping counts
  // it as lost, whatever the error.
  if (line.starts_with("PING:")) {
    const std::string_view why = trim(line.substr(5));
    if (why.starts_with("transmit failed") || why.starts_with("転送に失敗しました")) {
      out.kind = PingLine::Kind::Reply;
      out.value = kGeneralFailure;
    }
    return out;
  }
  // "192.168.1.1 に ping を送信しています 32 バイトのデータ:", also
  // "name [address]に ping を…"
  if (size_t at = line.find("ping を送信しています"); at != std::string_view::npos) {
    std::string_view before = trim(line.substr(0, at));
    if (!before.ends_with("に")) return out;
    before = trim(before.substr(0, before.size() - std::string_view("に").size()));
    if (before.empty()) return out;
    out.kind = PingLine::Kind::Start;
    out.target = before;
    return out;
  }
  // "Pinging 10.0.0.1 with 32 bytes of data:"
  if (line.starts_with("Pinging ")) {
    const size_t with = line.find(" with ");
    if (with == std::string_view::npos || with < 8 || !contains(line, "bytes")) return out;
    const std::string_view target = trim(line.substr(8, with - 8));
    if (target.empty()) return out;
    out.kind = PingLine::Kind::Start;
    out.target = target;
    return out;
  }
  if (size_t at = line.find("からの応答:"); at != std::string_view::npos && at > 0)
    return readReply(line.substr(at + std::string_view("からの応答:").size()), "時間");
  if (line.starts_with("Reply from ")) {
    // An IPv6 address holds colons of its own: the one before the reply's
    // words is followed by a blank.
    const size_t at = line.find(": ", 11);
    if (at == std::string_view::npos) return out;
    return readReply(line.substr(at + 1), "time");
  }
  return out;
}

bool PingSeries::add(long long time, int32_t value) {
  const Place p = place(size_);
  if (p.offset == 0)
    blocks_.push_back({std::make_unique_for_overwrite<long long[]>(p.length),
                       std::make_unique_for_overwrite<int32_t[]>(p.length)});
  Block& b = blocks_.back();
  b.time[p.offset] = time;
  b.value[p.offset] = value;
  ++size_;
  if (value >= 0) {
    if (received_ == 0) {
      min_ = max_ = value;
    } else {
      min_ = std::min(min_, value);
      max_ = std::max(max_, value);
    }
    ++received_;
    sum_ += value;
    if (last_ >= 0) jitterSum_ += std::abs(value - last_);
    last_ = value;
    const bool back = lostInRow_ >= kOutageLosses;
    if (back) outages_.back().to = time;
    lostInRow_ = 0;
    return back;
  }
  if (lostInRow_ == 0) firstLost_ = time;
  ++lostInRow_;
  if (lostInRow_ != kOutageLosses) return false;
  outages_.push_back({firstLost_, -1});
  return true;
}

bool PingReplies::add(std::string_view line, long long time) {
  PingLine p = readPingLine(line);
  if (p.kind == PingLine::Kind::Start) {
    auto same = std::find_if(targets_.begin(), targets_.end(),
                             [&](const auto& t) { return t->name() == p.target; });
    if (same != targets_.end()) {
      current_ = same->get();
    } else {
      targets_.push_back(std::make_unique<PingSeries>(std::move(p.target)));
      current_ = targets_.back().get();
    }
    return false;
  }
  // A reply before any start line belongs to no target.
  if (p.kind != PingLine::Kind::Reply || !current_) return false;
  return current_->add(time, p.value);
}

PingFollower::Read PingFollower::follow(const form::OutputText& text,
                                        const form::LineTimes& times) {
  Read r;
  const size_t count = text.lineCount();
  const long long started = times.has(0) ? times.at(0) : 0;
  const bool replaced = text.text().size() < bytes_ || started != started_ ||
                        (!first_.empty() && count > 1 && text.line(0) != first_);
  if (replaced) {
    replies_ = PingReplies();
    lines_ = 0;
    first_.clear();
    started_ = started;
    r.restarted = true;
  }
  bytes_ = text.text().size();
  if (first_.empty() && count > 1) first_ = text.line(0);
  const size_t targets = replies_.targets().size();
  size_t replies = 0;
  for (const auto& t : replies_.targets()) replies += t->size();
  // The line after the last break may still grow.
  for (; lines_ + 1 < count; ++lines_)
    r.outage |= replies_.add(text.line(lines_), times.has(lines_) ? times.at(lines_) : 0);
  size_t after = 0;
  for (const auto& t : replies_.targets()) after += t->size();
  r.grew = replies_.targets().size() != targets || after != replies;
  return r;
}

std::string ratioTenths(long long n, long long d) {
  if (d <= 0) return "-";
  const long long t = (n * 20 + d) / (2 * d);
  return std::to_string(t / 10) + "." + std::to_string(t % 10);
}

std::string statsLine(const PingSeries& s) {
  const long long lost = s.sent() - s.received();
  const bool any = s.received() > 0;
  std::string line = s.name();
  line += "  送信 " + std::to_string(s.sent());
  line += "  受信 " + std::to_string(s.received());
  line += "  損失 " + std::to_string(lost) + " (" + ratioTenths(lost * 100, s.sent()) + "%)";
  line += "  最小 " + (any ? std::to_string(s.min()) : std::string("-")) + " ms";
  line += "  平均 " + ratioTenths(s.sum(), s.received()) + " ms";
  line += "  最大 " + (any ? std::to_string(s.max()) : std::string("-")) + " ms";
  line += "  ジッター " + ratioTenths(s.jitterSum(), s.received() - 1) + " ms";
  return line;
}

std::string statsText(const PingReplies& r) {
  std::string text;
  for (const auto& t : r.targets()) {
    if (!text.empty()) text += "\r\n";
    text += statsLine(*t);
  }
  return text;
}

const char* lostText(int32_t value) {
  switch (value) {
    case kTimedOut: return "要求がタイムアウトしました";
    case kUnreachable: return "宛先に到達できません";
    case kTtlExpired: return "転送中に TTL が期限切れになりました";
    case kGeneralFailure: return "転送に失敗しました";
    case kRefused: return "接続を拒否されました";
    default: return "";
  }
}

}  // namespace velquin::reading
