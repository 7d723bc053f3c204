// The monitor's graph over hours in the real window: two and a half hours
// of three hosts made up on a scripted clock (no request leaves the
// program), and the picture of the graph over everything, the older part drawn from the summed minutes and
// the last hour from every result, in one band on both sides of the seam.
#include "wine_app.h"

#include <commctrl.h>

#include <algorithm>

#include "monitor/monitor_window.h"
#include "win32/text.h"

namespace velquin::test {
namespace {

using Status = platform::Platform::EchoStatus;
using EchoAnswer = platform::Platform::EchoAnswer;

class MonitorHistoryWin : public WineApp {};

// The clipboard's bitmap as rows of pixels, 0x00RRGGBB, top row first.
std::vector<std::vector<uint32_t>> clipboardPixels(HWND owner) {
  std::vector<std::vector<uint32_t>> rows;
  if (!OpenClipboard(owner)) return rows;
  if (HBITMAP bmp = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP))) {
    BITMAP info{};
    GetObjectW(bmp, sizeof info, &info);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = info.bmWidth;
    bi.bmiHeader.biHeight = -info.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> bits(static_cast<size_t>(info.bmWidth) * info.bmHeight);
    HDC dc = GetDC(owner);
    if (GetDIBits(dc, bmp, 0, info.bmHeight, bits.data(), &bi, DIB_RGB_COLORS) == info.bmHeight)
      for (int y = 0; y < info.bmHeight; ++y)
        rows.emplace_back(bits.begin() + static_cast<ptrdiff_t>(y) * info.bmWidth,
                          bits.begin() + static_cast<ptrdiff_t>(y + 1) * info.bmWidth);
    ReleaseDC(owner, dc);
  }
  CloseClipboard();
  return rows;
}

TEST_F(MonitorHistoryWin, HoursLaterTheGraphDrawsTheSummedMinutesAsTheLastHour) {
  ASSERT_TRUE(putFocus(byName("Edit1")));
  keyPress('M', VK_CONTROL);
  pump(100);
  monitor::TfrmMonitor& m = program->monitor();
  form::Form& mf = m.form();
  win32::Renderer& mw = session->monitorWindow();
  // Host 1 answers 20 to 24 ms, host 2 40 to 44 ms and host 3 60 to
  // 64 ms, each losing one request in a hundred.
  os.answer = [](const std::string& address, long long clock) -> EchoAnswer {
    const int host = address.back() - '0';
    if ((clock / 1000 + host) % 100 == 0) return {0, Status::TimedOut, 0, ""};
    return {0, Status::Reply, host * 20 + static_cast<int32_t>(clock / 1000 % 5), address};
  };
  mw.fromUser([&] {
    mf["Memo_Hosts"].setText("127.0.0.1-3");
    mf["Edit_MonitorSec"].setText("1");
    os.scripted = true;
    os.clock = 13'441'334'400'000LL + 9 * 3'600'000LL;  // 2026/12/10 09:00
    mf.userClick(mf["btnMonitor"]);
    os.runTimers(mf, 9'000'000);
    mf.userClick(mf["btnMonitor"]);
    os.scripted = false;
  });
  pump(200);
  HWND list = findByName(mw.hwnd(), "LV_Monitor");
  ASSERT_NE(list, nullptr);
  // Every row selected with the keys, the range "すべて" picked in its list.
  SetForegroundWindow(mw.hwnd());
  SetFocus(list);
  pump();
  keyPress('A', VK_CONTROL);
  HWND range = findByName(mw.hwnd(), "CB_MonitorRange");
  ASSERT_NE(range, nullptr);
  SetFocus(range);
  pump();
  keyPress(VK_END);
  pump(300);
  ASSERT_EQ(mf["CB_MonitorRange"].itemIndex(), 3);
  ASSERT_EQ(m.graph().source().seriesCount(), 3u);
  mw.fromUser([&] { mf.execute("Act_GraphCopy"); });
  const auto pixels = clipboardPixels(mw.hwnd());
  ASSERT_GT(pixels.size(), 50u);
  // Each host's average as a line at its level and its lowest to highest
  // as a band in its colour a third over white, across the whole width:
  // left of the seam from the summed minutes, right of it from every
  // result.
  const uint32_t colors[] = {0x1F77B4, 0x2CA02C, 0x9467BD};
  const size_t width = pixels[0].size();
  std::vector<std::vector<int>> levels(3);  // each host's line: its y in each column
  for (int s = 0; s < 3; ++s) {
    auto blend = [&](int shift) { return (((colors[s] >> shift) & 0xFF) + 2 * 255) / 3; };
    const uint32_t band = blend(16) << 16 | blend(8) << 8 | blend(0);
    std::vector<size_t> banded;
    for (size_t x = 0; x < width; ++x) {
      int at = -1;
      bool inBand = false;
      for (size_t y = 0; y < pixels.size(); ++y) {
        if ((pixels[y][x] & 0xFFFFFF) == colors[s]) at = static_cast<int>(y);
        inBand |= (pixels[y][x] & 0xFFFFFF) == band;
      }
      if (at >= 0) levels[s].push_back(at);
      if (inBand) banded.push_back(x);
    }
    ASSERT_GT(banded.size(), width / 2) << s;
    EXPECT_LT(banded.front(), width / 4) << s;
    EXPECT_GT(banded.back(), width * 3 / 4) << s;
    ASSERT_GT(levels[s].size(), width / 2) << s;
    // One level from end to end: no step where the summed part meets the rest.
    const auto [low, high] = std::minmax_element(levels[s].begin(), levels[s].end());
    EXPECT_LE(*high - *low, 2) << s;
    // Higher up for more milliseconds.
    if (s > 0) {
      EXPECT_LT(levels[s][0], levels[s - 1][0]) << s;
    }
  }
}

}  // namespace
}  // namespace velquin::test
