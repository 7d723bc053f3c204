// The monitor's list as it is drawn: the state of each row in its colour
// (grey for a router that limits its answers, red for a loss, the
// system's for the rest) and every row's latest results as bars, a reply
// green and a loss red, coloured rows included. The echo answers come from
// a table of the test: no request leaves the program.
#include <windows.h>
#include <commctrl.h>

#include <filesystem>
#include <map>
#include <utility>

#include "wine_app.h"
#include "monitor/monitor.h"
#include "monitor/table.h"
#include "win32/text.h"

namespace velquin::test {
namespace {

using Status = platform::Platform::EchoStatus;

// Each address and TTL answers in turn with the answers of its row of the
// table, over and over; what the table does not name answers as the host
// itself.
class TableEchoes : public RecordingPlatform {
 public:
  struct Answer {
    Status status;
    std::string from;
  };
  std::map<std::pair<std::string, int>, std::vector<Answer>> table;

  std::string resolveHost(const std::string& host) override { return host; }
  uint64_t sendEcho(const std::string& address, int ttl, int) override {
    const auto it = table.find({address, ttl});
    Answer a{Status::Reply, address};
    if (it != table.end()) a = it->second[sent_[{address, ttl}]++ % it->second.size()];
    out_.push_back({++next_, a.status, a.status == Status::TimedOut ? 0 : 7, a.from});
    return next_;
  }
  std::vector<EchoAnswer> takeEchoAnswers() override { return std::exchange(out_, {}); }
  void cancelEchoes() override { out_.clear(); }

 private:
  std::map<std::pair<std::string, int>, size_t> sent_;
  std::vector<EchoAnswer> out_;
  uint64_t next_ = 0;
};

class MonitorList : public ::testing::Test {
 protected:
  MonitorList() {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    dir_ = std::filesystem::path(tmp) / ("velquin-list-" + std::to_string(GetCurrentProcessId()) +
                                         "-" + std::to_string(GetTickCount64()));
    std::filesystem::create_directories(dir_);
    SetCurrentDirectoryW(dir_.wstring().c_str());
    session_ = std::make_unique<win32::Session>(os);
    session_->show(SW_SHOWNORMAL);
    pump(50);
  }
  ~MonitorList() override {
    session_.reset();
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    SetCurrentDirectoryW(tmp);
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  void pump(int ms) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(ms);
    do os.pumpMessages(1);
    while (static_cast<LONG>(end - GetTickCount()) > 0);
  }
  HWND in(const std::string& name) {
    HWND h = findByName(session_->monitorWindow().hwnd(), name);
    EXPECT_NE(h, nullptr) << name;
    return h;
  }
  // The monitor opened, in a mode, on the hosts typed, run for a while at
  // the shortest interval and stopped.
  HWND run(int mode, const std::string& hosts) {
    session_->mainWindow().fromUser(
        [&] { session_->main().form().execute("Act_Monitor"); });
    pump(50);
    SendMessageW(in("RG_MonitorMode#" + std::to_string(mode)), BM_CLICK, 0, 0);
    SetWindowTextW(in("Memo_Hosts"), win32::widen(hosts).c_str());
    SetWindowTextW(in("Edit_MonitorSec"), L"0.2");
    SendMessageW(in("btnMonitor"), BM_CLICK, 0, 0);
    pump(1500);
    SendMessageW(in("btnMonitor"), BM_CLICK, 0, 0);
    pump(50);
    HWND list = in("LV_Monitor");
    ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
    pump(50);
    return list;
  }

  TableEchoes os;

 private:
  std::filesystem::path dir_;
  std::unique_ptr<win32::Session> session_;
};

// The pixels of each colour in a cell of the list as it draws itself.
class Picture {
 public:
  explicit Picture(HWND list) : list_(list) {
    GetClientRect(list, &size_);
    HDC screen = GetDC(list);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, size_.right, size_.bottom);
    ReleaseDC(list, screen);
    SelectObject(dc_, bitmap_);
    SendMessageW(list, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_),
                 PRF_CLIENT | PRF_ERASEBKGND);
  }
  ~Picture() {
    DeleteDC(dc_);
    DeleteObject(bitmap_);
  }
  int count(int row, int column, COLORREF color) const {
    RECT cell{};
    ListView_GetSubItemRect(list_, row, column, LVIR_BOUNDS, &cell);
    int n = 0;
    for (int y = cell.top; y < cell.bottom; ++y)
      for (int x = std::max(0L, cell.left); x < std::min(cell.right, size_.right); ++x)
        n += GetPixel(dc_, x, y) == color;
    return n;
  }

 private:
  HWND list_;
  RECT size_{};
  HDC dc_;
  HBITMAP bitmap_;
};

constexpr COLORREF kGreyText = RGB(0x80, 0x80, 0x80);
constexpr COLORREF kRedText = RGB(0xC0, 0x00, 0x00);
constexpr COLORREF kReplyBar = RGB(46, 139, 87);
constexpr COLORREF kLossBar = RGB(220, 0, 0);
constexpr int kState = monitor::kStateColumn;
constexpr int kBars = monitor::kColumnCount;

TEST_F(MonitorList, EachRowShowsItsStateInItsColourAndItsBars) {
  // The route: the first router answers every other request, the second
  // every one, then the host.
  os.table[{"127.0.0.9", 1}] = {{Status::TtlExpired, "127.0.1.1"}, {Status::TimedOut, ""}};
  os.table[{"127.0.0.9", 2}] = {{Status::TtlExpired, "127.0.1.2"}};
  // Two hosts: the second loses every other request.
  os.table[{"127.0.0.2", monitor::kHostTtl}] = {{Status::Reply, "127.0.0.2"},
                                               {Status::TimedOut, ""}};
  const struct {
    int mode;
    const char* hosts;
    std::vector<std::string> shown;
    // Per row: the state's colour (none: the system's), losses among the bars.
    std::vector<std::pair<COLORREF, bool>> rows;
  } runs[] = {
      {1, "127.0.0.9", {"127.0.1.1", "127.0.1.2", "127.0.0.9"},
       {{kGreyText, true}, {CLR_NONE, false}, {CLR_NONE, false}}},
      {0, "127.0.0.1-2", {"127.0.0.1", "127.0.0.2"}, {{CLR_NONE, false}, {kRedText, true}}},
  };
  for (const auto& r : runs) {
    HWND list = run(r.mode, r.hosts);
    ASSERT_EQ(ListView_GetItemCount(list), static_cast<int>(r.shown.size())) << r.hosts;
    const Picture picture(list);
    for (int row = 0; row < static_cast<int>(r.shown.size()); ++row) {
      wchar_t host[64] = L"";
      ListView_GetItemText(list, row, 1, host, 64);
      const std::string what = r.hosts + std::string(" row ") + win32::narrow(host);
      EXPECT_EQ(win32::narrow(host), r.shown[row]) << what;
      const auto [color, losses] = r.rows[row];
      // (The system's black text, smoothed, may hold a pixel of any grey,
      // never one of red.)
      if (color != CLR_NONE) {
        EXPECT_GT(picture.count(row, kState, color), 0) << what;
      }
      EXPECT_EQ(picture.count(row, kState, kRedText) > 0, color == kRedText) << what;
      EXPECT_GT(picture.count(row, kBars, kReplyBar), 0) << what;
      EXPECT_EQ(picture.count(row, kBars, kLossBar) > 0, losses) << what;
    }
  }
}

}  // namespace
}  // namespace velquin::test
