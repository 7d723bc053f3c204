// Takes pictures of the real window, one per page, for people to look at:
//   velquin_shots.exe <folder>
// It starts the program as WinMain does, shows each tool page (and the
// pages that open a detail panel, with the panel open), the other main
// pages and the about box over the main window, and saves each as a BMP
// file. Run under Wine on a display (tools/screenshots.sh).

#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <thread>
#include <string>
#include <vector>

#include "program.h"
#include "form/output_doc.h"
#include "connections/connections_window.h"
#include "monitor/monitor_window.h"
#include "win32/platform_win32.h"
#include "win32/renderer.h"
#include "win32/controls.h"
#include "win32/session.h"
#include "win32/text.h"
#include "../tests/win32/scripted_echoes.h"

namespace {

// Each host its own level, waves over the hours, a lost request now and
// then, and the second host down from 09:20 to 09:30.
velquin::platform::Platform::EchoAnswer madeUpAnswer(const std::string& address,
                                                     long long clock) {
  using Status = velquin::platform::Platform::EchoStatus;
  const int host = address.back() - '0';
  const long long minute = (clock / 60'000) % 240;  // 09:00 is minute 60
  const int wave = static_cast<int>((minute * 7 + clock / 1000 % 13) % 40);
  if ((clock / 1000 + host) % 97 == 0 || (host == 2 && minute >= 80 && minute < 90))
    return {0, Status::TimedOut, 0, ""};
  return {0, Status::Reply, 5 + host * 25 + wave, address};
}

void pump(velquin::win32::Win32Platform& os, int ms) {
  DWORD end = GetTickCount() + static_cast<DWORD>(ms);
  do os.pumpMessages(5);
  while (static_cast<LONG>(end - GetTickCount()) > 0);
}

bool saveBmp(const RECT& rc, const std::wstring& path) {
  int w = rc.right - rc.left, hgt = rc.bottom - rc.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = hgt;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, hgt, screen, rc.left, rc.top, SRCCOPY);
  SelectObject(mem, old);
  int stride = ((w * 3 + 3) & ~3);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
  fh.bfSize = fh.bfOffBits + stride * hgt;
  FILE* f = _wfopen(path.c_str(), L"wb");
  bool ok = f != nullptr;
  if (f) {
    fwrite(&fh, sizeof fh, 1, f);
    fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
    fwrite(bits, stride * hgt, 1, f);
    fclose(f);
  }
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring out = argc > 1 ? argv[1] : L".";
  velquin::test::ScriptedEchoes<velquin::win32::Win32Platform> os;
  os.answer = madeUpAnswer;
  velquin::win32::Session session(os);
  session.show(SW_SHOWNORMAL);
  auto& window = session.mainWindow();
  SetForegroundWindow(window.hwnd());
  pump(os, 500);

  auto& f = session.main().form();
  auto shot = [&](const std::wstring& name, const std::function<void()>& act) {
    window.fromUser(act);
    pump(os, 400);
    RECT rc;
    GetWindowRect(window.hwnd(), &rc);
    saveBmp(rc, out + L"\\" + name + L".bmp");
  };
  shot(L"00_top", [] {});
  const wchar_t* tools[] = {L"ipconfig", L"ping", L"netstat", L"nbtstat",
                            L"route", L"tracert", L"net", L"arp",
                            L"nslookup", L"pathping"};
  for (int k = 0; k < 10; ++k) {
    shot(std::to_wstring(k + 1) + L"_" + tools[k],
         [&, k] { f.userPickItem(f["RadioGroup1"], k); });
    // Pages with a panel of details: open it too.
    for (const char* b : {"btnPing_S"}) {
      auto* button = f.find(b);
      if (button && button->showing())
        shot(std::to_wstring(k + 1) + L"_" + tools[k] + L"_detail",
             [&, button] { f.userClick(*button); });
    }
  }
  // The net page: each category, then the option pages of their own, the
  // user pages with every field of their operation and mode on view.
  shot(L"7_net_0", [&] { f.userPickItem(f["RadioGroup1"], 6); });
  for (int k = 1; k < 4; ++k)
    shot(L"7_net_" + std::to_wstring(k),
         [&, k] { f.userPickItem(f["RadioGroup4"], k); });
  shot(L"7_net_TS_Select2", [&] {
    f.userPickItem(f["RadioGroup4"], 0);
    f.userClick(f["CB_net_01"]);
  });
  shot(L"7_net_TS_Select3", [&] {
    f.userClick(f["CB_net_03"]);
    f.userPickItem(f["RG_user"], 1);
  });
  shot(L"7_net_TS_Select4", [&] {
    f.userClick(f["btnNext"]);
    f.userPickItem(f["CMB_user04"], 3);
  });
  // The option area of a sub-command: category, box ticked, operation
  // chosen (0 is what the box shows by itself).
  struct NetOptions {
    const wchar_t* name;
    int category;
    const char* box;
    int operation;
  };
  const NetOptions netOptions[] = {{L"7_net_localgroup", 0, "CB_net_05", 3},
                                   {L"7_net_share", 2, "CB_net_10", 1},
                                   {L"7_net_use", 2, "CB_net_11", 1},
                                   {L"7_net_print_1", 2, "CB_net_15", 1},
                                   {L"7_net_config_2", 3, "CB_net_16", 2},
                                   {L"7_net_send", 3, "CB_net_18", 0},
                                   {L"7_net_time", 3, "CB_net_20", 0}};
  for (const NetOptions& n : netOptions)
    shot(n.name, [&] {
      f.userPickItem(f["RadioGroup1"], 6);
      f.userPickItem(f["RadioGroup4"], n.category);
      f.userClick(f[n.box]);
      if (n.operation > 0) f.userPickItem(f["ComboBox1"], n.operation);
    });
  const char* pages[] = {"TabSheet2", "TabSheet3", "TabSheet4", "TabSheet5"};
  for (int i = 0; i < 4; ++i)
    shot(L"p" + std::to_wstring(i + 2) + L"_" + velquin::win32::widen(pages[i]),
         [&, i] { f.userSelectPage(f["PageControl1"], i + 1); });
  // The output view holding a command's output, part of it selected.
  shot(L"p2_output_selection", [&] {
    f["Edit1"].setText("ipconfig /all");
    f.execute("Act_btnDO");
    HWND memo = window.native(f["Memo0"])->hwnd();
    SendMessageW(memo, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 50));
    SendMessageW(memo, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(180, 120));
    SendMessageW(memo, WM_LBUTTONUP, 0, MAKELPARAM(180, 120));
  });
  // Find open over that output, with its matches marked, and the column
  // of times beside the lines.
  shot(L"p2_output_find", [&] {
    f.execute("Act_Find");
    f.userType(f["EditFind"], "ip");
    f.execute("Act_FindNext");
  });
  shot(L"p2_output_times", [&] {
    f["Memo0"].outputDoc()->setShowTimes(true);
  });
  shot(L"p2_output_plain", [&] {
    f["Memo0"].outputDoc()->setShowTimes(false);
    f.execute("Act_FindClose");
  });
  // A repeated command whose output changed between two runs: the changed
  // lines marked, then the changed characters (taken while the repetition
  // waits for its next run), then the changed lines alone and the output in
  // the fixed-pitch font.
  {
    const std::wstring file = out + L"\\repeat_arp.txt";
    auto write = [&file](const char* utf8) {
      const std::string bytes =
          velquin::win32::toCodePage(932, velquin::win32::widen(utf8), nullptr);
      if (FILE* fp = _wfopen(file.c_str(), L"wb")) {
        fwrite(bytes.data(), 1, bytes.size(), fp);
        fclose(fp);
      }
    };
    auto capture = [&](const std::wstring& name) {
      RECT rc;
      GetWindowRect(window.hwnd(), &rc);
      saveBmp(rc, out + L"\\" + name + L".bmp");
    };
    write("インターフェイス: 127.0.0.1 --- 0x1\r\n"
          "  インターネット アドレス  物理アドレス          種類\r\n"
          "  127.0.0.2             00-11-22-33-44-55     動的\r\n"
          "  127.0.0.3             00-11-22-33-44-66     動的\r\n"
          "  127.0.0.4             00-11-22-33-44-77     静的\r\n"
          "  127.0.0.5             00-11-22-33-44-88     静的\r\n");
    window.fromUser([&] {
      f["Edit1"].setText("cmd /c type \"" + velquin::win32::narrow(file) + "\"");
      f.execute("Act_Repeat");
      f["Edit_RepeatSec"].setText("4");
    });
    HWND mode = window.native(f["CB_RepeatMode"])->hwnd();
    HWND start = window.native(f["btnRepeat"])->hwnd();
    std::thread hand([&] {
      Sleep(1000);
      write("インターフェイス: 127.0.0.1 --- 0x1\r\n"
            "  インターネット アドレス  物理アドレス          種類\r\n"
            "  127.0.0.2             00-11-22-33-44-5a     動的\r\n"
            "  127.0.0.4             00-11-22-33-44-77     静的\r\n"
            "  127.0.0.5             00-11-22-33-44-88     静的\r\n"
            "  127.0.0.9             00-11-22-33-44-99     動的\r\n");
      Sleep(4500);
      capture(L"p2_repeat_lines");
      PostMessageW(mode, CB_SETCURSEL, 2, 0);
      PostMessageW(GetParent(mode), WM_COMMAND,
                   MAKEWPARAM(GetDlgCtrlID(mode), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(mode));
      Sleep(700);
      capture(L"p2_repeat_chars");
      PostMessageW(start, BM_CLICK, 0, 0);
    });
    window.fromUser([&] { f.userClick(f["btnRepeat"]); });
    hand.join();
    shot(L"p2_repeat_only", [&] { f.userClick(f["CB_RepeatOnly"]); });
    shot(L"p2_repeat_fixed", [&] {
      f.userClick(f["CB_RepeatOnly"]);
      f.userPickItem(f["CB_RepeatMode"], 1);
      f.execute("Act_FixedPitch");
    });
    window.fromUser([&] {
      f.execute("Act_FixedPitch");
      f.userClick(f["btnRepeatClose"]);
    });
  }
  // The ping graph over replies that arrive over a few seconds: two
  // targets one after the other, a spike cut off at the scale, an outage
  // with its alert in the status bar and its line in the pane.
  shot(L"p2_ping_graph", [&] {
    f.userSelectPage(f["PageControl1"], 1);
    f.execute("Act_GraphAlert");
    f.execute("Act_Graph");
    f["Memo0"].setText("ping -t 192.168.1.1\r\n");
    auto say = [&](const std::string& line) {
      f["Memo0"].append(line + "\r\n");
      pump(os, 12);
    };
    say("192.168.1.1 に ping を送信しています 32 バイトのデータ:");
    for (int i = 0; i < 90; ++i) {
      if (i >= 30 && i < 34) say("要求がタイムアウトしました。");
      else if (i == 50) say("192.168.1.1 からの応答: バイト数 =32 時間 =480ms TTL=64");
      else say("192.168.1.1 からの応答: バイト数 =32 時間 =" + std::to_string(4 + (i * 7) % 11) +
               "ms TTL=64");
    }
    say("Pinging 10.0.0.1 with 32 bytes of data:");
    for (int i = 0; i < 60; ++i) {
      if (i == 25) say("Reply from 10.0.0.254: Destination host unreachable.");
      else say("Reply from 10.0.0.1: bytes=32 time=" + std::to_string(18 + (i * 5) % 13) +
               "ms TTL=128");
    }
  });
  // The picture of the README: the program beyond a console, the graph
  // of ping's replies above the output as it arrives.
  shot(L"readme", [] {});
  shot(L"p2_ping_graph_hidden", [&] {
    f.execute("Act_Graph");
    f.execute("Act_GraphAlert");
  });
  // Twelve loopback targets one after another, as cmd's `for /l` pings
  // them: five lines of figures at once with a scroll bar, the drawing
  // below them.
  shot(L"p2_ping_graph_12", [&] {
    f.userSelectPage(f["PageControl1"], 1);
    f.execute("Act_Graph");
    f["Edit1"].setText("cmd /c \"for /l %i in (1,1,12) do @ping -n 2 127.0.0.%i\"");
    f.userClick(f["btnDO"]);
  });
  window.fromUser([&] { f.execute("Act_Graph"); });
  // Every usage text of the help page.
  for (int k = 0; k < 6; ++k)
    shot(L"p6_help" + std::to_wstring(k),
         [&, k] {
           f.userSelectPage(f["PageControl1"], 4);
           f.userPickItem(f["RadioGroupH"], k);
         });
  // The about box over the main window, from the help page's "Version".
  window.fromUser([&] { f.userClick(f["btnHelp3"]); });
  pump(os, 400);
  RECT rc;
  GetWindowRect(window.hwnd(), &rc);
  saveBmp(rc, out + L"\\p7_about.bmp");
  // The monitor window beside it, watching loopback hosts for some seconds:
  // their rows with the latest results as bars, the outages, the graph of
  // three.
  velquin::monitor::TfrmMonitor& monitor = session.program().monitor();
  auto& mf = monitor.form();
  auto& mw = session.monitorWindow();
  window.fromUser([&] { f.execute("Act_Monitor"); });
  mw.fromUser([&] {
    mf["Memo_Hosts"].setText("127.0.0.1-12\r\n::1");
    mf["Edit_MonitorSec"].setText("0.5");
    // The list of outages under the hosts': ::1 gets no answer here.
    if (!mf["CB_MonitorOutages"].checked()) mf.userClick(mf["CB_MonitorOutages"]);
    mf.userClick(mf["btnMonitor"]);
  });
  pump(os, 8000);
  mw.fromUser([&] {
    monitor.list().userSelect({0, 1, 2});
    monitor.list().select({0, 1, 2});
    mf.userFocus(mf["LV_Monitor"]);
  });
  pump(os, 600);
  GetWindowRect(mw.hwnd(), &rc);
  saveBmp(rc, out + L"\\p8_monitor.bmp");
  mw.fromUser([&] { mf.userClick(mf["btnMonitor"]); });

  // Two hours and a half of three hosts on the scripted clock, from 09:00,
  // the graph over everything: the older part drawn from the summed
  // minutes, the last hour from every result, one band on both sides.
  mw.fromUser([&] {
    mf["Memo_Hosts"].setText("127.0.0.1-3");
    mf["Edit_MonitorSec"].setText("1");
    os.scripted = true;
    os.clock = 13'441'334'400'000LL + 9 * 3'600'000LL;  // 2026/12/10 09:00
    mf.userClick(mf["btnMonitor"]);
    os.runTimers(mf, 9'000'000);
    mf.userClick(mf["btnMonitor"]);
    os.scripted = false;
    mf.userPickItem(mf["CB_MonitorRange"], 3);
    monitor.list().userSelect({0, 1, 2});
    monitor.list().select({0, 1, 2});
    mf.userFocus(mf["LV_Monitor"]);
  });
  pump(os, 600);
  GetWindowRect(mw.hwnd(), &rc);
  saveBmp(rc, out + L"\\p9_monitor_day.bmp");
  // A mixed list: a port with a loopback listener opened here, a port with
  // none (refused), and echo rows; all on loopback.
  {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    int ports[2] = {};
    SOCKET sockets[2];
    for (int i = 0; i < 2; ++i) {
      sockets[i] = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
      sockaddr_in a{};
      a.sin_family = AF_INET;
      a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      bind(sockets[i], reinterpret_cast<sockaddr*>(&a), sizeof a);
      int size = sizeof a;
      getsockname(sockets[i], reinterpret_cast<sockaddr*>(&a), &size);
      ports[i] = ntohs(a.sin_port);
    }
    listen(sockets[0], SOMAXCONN);
    closesocket(sockets[1]);
    mw.fromUser([&] {
      mf["Memo_Hosts"].setText("127.0.0.1:" + std::to_string(ports[0]) + "\r\n127.0.0.1:" +
                               std::to_string(ports[1]) + "\r\n127.0.0.1\r\n127.0.0.2");
      mf.userClick(mf["btnMonitor"]);
    });
    pump(os, 6000);
    mw.fromUser([&] {
      // The refused row left out, so that its state shows in its colour.
      monitor.list().userSelect({0, 2});
      monitor.list().select({0, 2});
      mf.userFocus(mf["LV_Monitor"]);
    });
    pump(os, 600);
    GetWindowRect(mw.hwnd(), &rc);
    saveBmp(rc, out + L"\\p9_monitor_ports.bmp");
    mw.fromUser([&] { mf.userClick(mf["btnMonitor"]); });
    closesocket(sockets[0]);
    WSACleanup();
  }
  // The connections window over loopback connections made here, filtered
  // by their port: one that closes (red), one half closed (yellow), one
  // just made (green), the listener and the ends that stay as they were.
  auto& conn = session.program().connections();
  auto& cf = conn.form();
  auto& cw = session.connectionsWindow();
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(listener, reinterpret_cast<sockaddr*>(&at), sizeof at);
  listen(listener, 8);
  int size = sizeof at;
  getsockname(listener, reinterpret_cast<sockaddr*>(&at), &size);
  auto pair = [&](SOCKET& client, SOCKET& server) {
    client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    connect(client, reinterpret_cast<sockaddr*>(&at), sizeof at);
    server = accept(listener, nullptr, nullptr);
  };
  SOCKET a1, a2, b1, b2, c1, c2, d1, d2;
  pair(a1, a2);
  pair(b1, b2);
  pair(d1, d2);
  window.fromUser([&] { f.execute("Act_Connections"); });
  cw.fromUser([&] {
    cf.userPickItem(cf["CB_ConnRefresh"], 0);
    cf["Edit_ConnFilter"].setText(std::to_string(ntohs(at.sin_port)));
    conn.filterChange();
  });
  pump(os, 2500);
  shutdown(a1, SD_SEND);
  linger hard{1, 0};
  setsockopt(b1, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&hard), sizeof hard);
  closesocket(b1);
  closesocket(b2);
  pair(c1, c2);
  pump(os, 700);
  GetWindowRect(cw.hwnd(), &rc);
  saveBmp(rc, out + L"\\p9_connections.bmp");
  for (SOCKET k : {a1, a2, c1, c2, d1, d2, listener}) closesocket(k);
  WSACleanup();
  return 0;
}
