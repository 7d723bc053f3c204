// The ping graph measured in the real window: 16 MB of echo replies shown
// with the graph open against the same with it closed (in turns, in the
// same run), the window's longest wait meanwhile, one painting of every
// reply in range, the memory each reply takes, and a day of `ping -t`
// (86,400 replies) drawn whole and for its last minute.
//   velquin_graph_bench
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "form/form.h"
#include "form/graph_doc.h"
#include "form/output_doc.h"
#include "program.h"
#include "results/ping_graph.h"
#include "win32/platform_win32.h"
#include "win32/renderer.h"
#include "win32/session.h"
#include "win32/text.h"
#include "bench_window.h"

namespace {

using namespace velquin;
using Clock = std::chrono::steady_clock;
using bench::GapMeter;

double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

class GraphBench {
 public:
  GraphBench() {
    folder_ = bench::scratchFolder("velquin-graph-bench");
    session_ = std::make_unique<win32::Session>(os_);
    window_ = &session_->mainWindow();
    session_->show(SW_SHOWNORMAL);
    os_.pumpMessages(0);
    act([this] { form()["PageControl1"].setActivePage(form()["TabSheet2"]); });
  }
  ~GraphBench() {
    session_.reset();
    bench::leaveScratchFolder(folder_);
  }

  form::Form& form() { return session_->main().form(); }
  form::GraphDoc& graph() { return *form()["PaintGraph"].graph(); }
  const reading::PingReplies& replies() {
    return dynamic_cast<const results::PingGraph&>(graph().source()).replies();
  }
  HWND hwnd() const { return window_->hwnd(); }
  HWND paintGraph() { return window_->native(form()["PaintGraph"])->hwnd(); }
  const std::filesystem::path& folder() const { return folder_; }
  void act(const std::function<void()>& f) { window_->fromUser(f); }
  void setGraphShown(bool on) {
    if (form()["PanelGraph"].visible() != on) act([this] { form().execute("Act_Graph"); });
    os_.pumpMessages(0);
  }
  // Runs the command as the run button does; returns when it is over.
  double run(const std::string& command) {
    form()["Edit1"].setText(command);
    const Clock::time_point start = Clock::now();
    act([this] { form().execute("Act_btnDO"); });
    return msSince(start);
  }
  // The drawing painted now, as the system asks for it; milliseconds.
  double paintMs() {
    HWND h = paintGraph();
    const Clock::time_point start = Clock::now();
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return msSince(start);
  }
  win32::Win32Platform& os() { return os_; }

 private:
  std::filesystem::path folder_;
  win32::Win32Platform os_;
  std::unique_ptr<win32::Session> session_;
  win32::Renderer* window_ = nullptr;
};

std::string childCommand(const std::string& args) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return "\"" +
         win32::narrow((std::filesystem::path(self).parent_path() / L"velquin_bench_child.exe")
                           .wstring()) +
         "\" " + args;
}

// The middle of the sorted values.
double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

size_t replyCount(const reading::PingReplies& r) {
  size_t n = 0;
  for (const auto& t : r.targets()) n += t->size();
  return n;
}

size_t replyBytes(const reading::PingReplies& r) {
  size_t n = 0;
  for (const auto& t : r.targets()) n += t->memoryBytes();
  return n;
}

}  // namespace

int wmain() {
  GraphBench bench;
  std::printf("Velquin ping graph benchmark (real window)\n");

  // 16 MB of replies, as `ping -t` prints them, from a file in 64 KB blocks.
  const std::filesystem::path file = bench.folder() / "replies.txt";
  {
    std::ofstream out(file, std::ios::binary);
    out << "\r\nPinging 127.0.0.1 with 32 bytes of data:\r\n";
    for (unsigned long n = 0; static_cast<size_t>(out.tellp()) < 16u * 1024 * 1024; ++n) {
      if (n % 500 == 499) out << "Request timed out.\r\n";
      else out << "Reply from 127.0.0.1: bytes=32 time=" << (n * 7919) % 97 << "ms TTL=64\r\n";
    }
  }
  const std::string command = childCommand("file \"" + win32::narrow(file.wstring()) + "\"");
  std::vector<double> closed, open, closedGaps, gaps;
  size_t replies = 0;
  // Five turns each: a run of 16 MB swings by a third from one to the next.
  constexpr int kTurns = 5;
  for (int i = 0; i < kTurns; ++i) {
    bench.setGraphShown(false);
    {
      GapMeter meter(bench.hwnd());
      closed.push_back(bench.run(command));
      closedGaps.push_back(meter.longestMs());
    }
    bench.setGraphShown(true);
    GapMeter meter(bench.hwnd());
    open.push_back(bench.run(command));
    gaps.push_back(meter.longestMs());
    replies = replyCount(bench.replies());
  }
  auto list = [](const std::vector<double>& v) {
    std::string s;
    for (double x : v) s += (s.empty() ? "" : " ") + std::to_string(std::lround(x));
    return s;
  };
  std::printf("16 MB of replies (%zu): shown with the graph closed in %s ms, open in %s ms: "
              "open / closed %.2f by the medians (target at most 1.1)\n",
              replies, list(closed).c_str(), list(open).c_str(), median(open) / median(closed));
  std::printf("longest gap between handled messages while they stream: graph open %s ms, "
              "closed %s ms (target under 50 ms)\n",
              list(gaps).c_str(), list(closedGaps).c_str());
  std::vector<double> paints;
  for (int i = 0; i < 9; ++i) paints.push_back(bench.paintMs());
  std::printf("one painting of the graph with %zu replies in range: %.1f ms median, "
              "%.1f ms worst (target under 16 ms)\n",
              replies, median(paints), *std::max_element(paints.begin(), paints.end()));
  std::printf("memory: %.1f bytes per reply (target at most 16)\n",
              static_cast<double>(replyBytes(bench.replies())) / static_cast<double>(replies));

  // A day of `ping -t`, a reply a second: every line arrives a second
  // after the last (the output's clock stands in for the day).
  form::OutputDoc& doc = *bench.form()["Memo0"].outputDoc();
  long long day = 0;
  doc.setClock([&day] { return day; });
  bench.setGraphShown(false);
  bench.act([&] {
    form::Control& memo = bench.form()["Memo0"];
    memo.setText("ping -t 127.0.0.1\r\n");
    memo.append("Pinging 127.0.0.1 with 32 bytes of data:\r\n");
    for (int s = 0; s < 86'400; ++s) {
      day += 1000;
      memo.append(s % 900 == 0 ? std::string("Request timed out.\r\n")
                               : "Reply from 127.0.0.1: bytes=32 time=" +
                                     std::to_string(3 + s % 17) + "ms TTL=64\r\n");
    }
  });
  doc.setClock([&bench] { return bench.os().localTimeMs(); });
  bench.setGraphShown(true);
  std::vector<double> whole, minute;
  for (int i = 0; i < 9; ++i) whole.push_back(bench.paintMs());
  bench.act([&] { bench.form().userPickItem(bench.form()["CB_GraphRange"], 0); });
  const form::GraphDoc::Window w = bench.graph().window();
  const size_t inMinute = bench.replies().targets()[0]->size() -
                          bench.graph().firstFrom(0, w.from);
  for (int i = 0; i < 9; ++i) minute.push_back(bench.paintMs());
  std::printf("a day of ping -t: %zu replies kept (of 86400); painted whole in %.1f ms, "
              "its last minute (%zu replies) in %.1f ms (medians)\n",
              replyCount(bench.replies()), median(whole), inMinute, median(minute));
  return 0;
}
