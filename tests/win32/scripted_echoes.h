#pragma once
// The system's platform whose clocks and echo requests a test or the
// screenshot tool can turn over to a script: hours of a monitor's results
// made up in moments. While scripted, no request leaves the program: each
// is answered at the next look by the script, at the scripted local time.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace velquin::test {

template <class Base>
class ScriptedEchoes : public Base {
 public:
  using EchoAnswer = platform::Platform::EchoAnswer;
  bool scripted = false;
  long long clock = 0;  // local time, milliseconds
  int64_t steady = 0;
  // The answer to a request to the address at the local time.
  std::function<EchoAnswer(const std::string& address, long long clock)> answer;

  long long localTimeMs() override { return scripted ? clock : Base::localTimeMs(); }
  int64_t steadyMs() override { return scripted ? steady : Base::steadyMs(); }
  uint64_t sendEcho(const std::string& address, int ttl, int timeoutMs) override {
    if (!scripted) return Base::sendEcho(address, ttl, timeoutMs);
    out_.emplace_back(next_, address);
    return next_++;
  }
  std::vector<EchoAnswer> takeEchoAnswers() override {
    if (!scripted) return Base::takeEchoAnswers();
    std::vector<EchoAnswer> answers;
    for (const auto& [id, address] : out_) {
      answers.push_back(answer(address, clock));
      answers.back().id = id;
    }
    out_.clear();
    return answers;
  }
  void cancelEchoes() override {
    if (!scripted) return Base::cancelEchoes();
    out_.clear();
  }
  // The scripted clocks moved on by the form's timer, as the window's
  // timer would fire, for ms.
  template <class Form>
  void runTimers(Form& form, int64_t ms) {
    for (const int64_t end = steady + ms; steady < end;) {
      const int wait = form.timerMs() > 0 ? form.timerMs() : 1;
      steady += wait;
      clock += wait;
      form.userTimer();
    }
  }

 private:
  std::vector<std::pair<uint64_t, std::string>> out_;
  uint64_t next_ = 1;
};

}  // namespace velquin::test
