// The connections window as the user drives it: opened with Ctrl+N, the
// system's tables read again with F5 (set by the test through the scripted
// platform), rows coloured and events logged as endpoints come, change and
// go, sorted by a header, filtered, copied, saved, closed, and handed to
// the monitor and the tool pages; what it keeps across starts.
#include <sstream>

#include "connections/connections_window.h"
#include "monitor/monitor_window.h"
#include "support/app_fixture.h"

namespace velquin::test {
namespace {

using connections::Endpoint;
using connections::Transport;
using Outcome = platform::Platform::CloseOutcome;

std::array<uint8_t, 16> address(const std::string& text) {
  std::array<uint8_t, 16> a{};
  if (text == "::1") {
    a[15] = 1;
  } else if (text.rfind("fe80::", 0) == 0) {
    a[0] = 0xfe;
    a[1] = 0x80;
    a[15] = static_cast<uint8_t>(std::stoi(text.substr(6)));
  } else if (text != "::") {
    std::istringstream in(text);
    std::string part;
    for (int i = 0; i < 4 && std::getline(in, part, '.'); ++i)
      a[i] = static_cast<uint8_t>(std::stoi(part));
  }
  return a;
}

// "TCP 127.0.0.1:5000 10.0.0.5:80 ESTABLISHED 100", "UDP 0.0.0.0:53 53"
// (no remote), IPv6 with "[::1]:80".
Endpoint ep(const std::string& text) {
  std::istringstream in(text);
  std::string proto, local, remote, state;
  uint32_t pid = 0;
  in >> proto >> local;
  Endpoint e;
  e.transport = proto == "TCP" ? Transport::Tcp : proto == "TCPv6" ? Transport::Tcp6
              : proto == "UDP" ? Transport::Udp : Transport::Udp6;
  auto split = [](const std::string& s, std::array<uint8_t, 16>& a, uint16_t& port) {
    const size_t colon = s.rfind(':');
    std::string host = s.substr(0, colon);
    if (host.front() == '[') host = host.substr(1, host.size() - 2);
    a = address(host);
    port = static_cast<uint16_t>(std::stoi(s.substr(colon + 1)));
  };
  split(local, e.local, e.localPort);
  if (!connections::isUdp(e.transport)) {
    in >> remote >> state;
    split(remote, e.remote, e.remotePort);
    for (uint8_t s = 1; s <= 12; ++s)
      if (state == connections::stateName(s)) e.state = s;
  }
  in >> pid;
  e.pid = pid;
  return e;
}

class Connections : public AppTest {
 protected:
  Connections() {
    os.processes[100] = {1, "C:\\Program Files\\Web\\browser.exe"};
    os.processes[200] = {1, "C:\\Windows\\System32\\svchost.exe"};
  }
  connections::TfrmConnections& w() { return program->connections(); }
  form::Form& cf() { return w().form(); }
  void open() {
    enter("Edit1");
    ASSERT_TRUE(form().userShortcut("Ctrl+N"));
  }
  // The system's tables as the next reading finds them, then F5.
  void reading(const std::vector<std::string>& endpoints) {
    os.endpoints.clear();
    for (const std::string& e : endpoints) os.endpoints.push_back(ep(e));
    os.clock += 1000;
    ASSERT_TRUE(cf().userShortcut("F5"));
  }
  // Each row: its process, protocol, local end, remote end, state, and
  // colour (+ new, * changed, - closed).
  std::vector<std::string> rows() {
    std::vector<std::string> out;
    for (size_t r = 0; r < w().rowCount(); ++r) {
      std::string s = w().rowMark(r) + w().cell(r, 0);
      for (int c : {2, 3, 4, 5, 6, 7}) s += " " + w().cell(r, c);
      while (s.back() == ' ') s.pop_back();
      out.push_back(s);
    }
    return out;
  }
  std::string column(int c) {
    std::string out;
    for (size_t r = 0; r < w().rowCount(); ++r) out += (r ? "," : "") + w().cell(r, c);
    return out;
  }
  // The events pane, newest first: what happened, process, local, remote.
  std::vector<std::string> events() {
    std::vector<std::string> out;
    const form::ListSource& s = w().eventList().source();
    for (size_t r = 0; r < s.rowCount(); ++r)
      out.push_back(s.cell(r, 1) + "|" + s.cell(r, 2) + "|" + s.cell(r, 4) + "|" + s.cell(r, 5));
    return out;
  }
  void select(std::vector<size_t> places) { w().list().userSelect(places); }
  void menu(const std::string& action) { cf().execute(action); }
};

TEST_F(Connections, CtrlNOpensTheWindowReadingAtOnceAndASecondBringsItForward) {
  os.endpoints = {ep("TCP 0.0.0.0:135 0.0.0.0:0 LISTENING 200")};
  open();
  EXPECT_TRUE(cf().windowVisible());
  EXPECT_EQ(cf().caption(), "接続 (1 / 1)");
  EXPECT_EQ(rows(), (std::vector<std::string>{"+ svchost.exe TCP 0.0.0.0 135 0.0.0.0 0 LISTENING"}));
  // A window never opened before reads every second.
  EXPECT_EQ(cf().timerMs(), 1000);
  // A place past the last event, asked by a list whose count is behind,
  // is empty.
  const form::ListSource& log = w().eventList().source();
  ASSERT_EQ(log.rowCount(), 1u);
  EXPECT_EQ(log.cell(1, 1), "");
  // A second Ctrl+N brings the window forward without reading again.
  os.endpoints.push_back(ep("TCP 0.0.0.0:445 0.0.0.0:0 LISTENING 200"));
  EXPECT_TRUE(form().userShortcut("Ctrl+N"));
  EXPECT_EQ(cf().frontings(), 1);
  EXPECT_EQ(cf().caption(), "接続 (1 / 1)");
  // Closed, it stops reading; the system menu opens it again.
  w().FormClose();
  EXPECT_EQ(cf().timerMs(), -1);
  form().userWindowCommand(form().windowCommands().size() - 1);
  EXPECT_TRUE(cf().windowVisible());
}

TEST_F(Connections, RowsAreColouredForThreeReadingsAndEveryEventIsLogged) {
  const std::string a = "TCP 127.0.0.1:5000 127.0.0.1:6000";
  const std::string dns = "TCP 0.0.0.0:53 0.0.0.0:0 LISTENING 200";
  const std::string udp = "UDP 0.0.0.0:53 200";
  open();
  struct Step {
    std::vector<std::string> reading;
    std::vector<std::string> rows;
    std::string newest;  // the newest event, "" for none new
  };
  const std::vector<Step> steps = {
      {{a + " ESTABLISHED 100", dns, udp},
       {"+ svchost.exe TCP 0.0.0.0 53 0.0.0.0 0 LISTENING",
        "+ browser.exe TCP 127.0.0.1 5000 127.0.0.1 6000 ESTABLISHED", "+ svchost.exe UDP 0.0.0.0 53"},
       "開始|svchost.exe|0.0.0.0:53|"},
      {{a + " CLOSE_WAIT 100", udp},
       {"- svchost.exe TCP 0.0.0.0 53 0.0.0.0 0 LISTENING",
        "* browser.exe TCP 127.0.0.1 5000 127.0.0.1 6000 CLOSE_WAIT", "+ svchost.exe UDP 0.0.0.0 53"},
       "終了|svchost.exe|0.0.0.0:53|0.0.0.0:0"},
      {{udp},
       {"- svchost.exe TCP 0.0.0.0 53 0.0.0.0 0 LISTENING",
        "- browser.exe TCP 127.0.0.1 5000 127.0.0.1 6000 CLOSE_WAIT", "+ svchost.exe UDP 0.0.0.0 53"},
       "終了|browser.exe|127.0.0.1:5000|127.0.0.1:6000"},
      {{udp},
       {"- svchost.exe TCP 0.0.0.0 53 0.0.0.0 0 LISTENING",
        "- browser.exe TCP 127.0.0.1 5000 127.0.0.1 6000 CLOSE_WAIT", "svchost.exe UDP 0.0.0.0 53"},
       ""},
      // The same endpoint again while its close still shows: a new start.
      {{udp, dns},
       {"+ svchost.exe TCP 0.0.0.0 53 0.0.0.0 0 LISTENING",
        "- browser.exe TCP 127.0.0.1 5000 127.0.0.1 6000 CLOSE_WAIT", "svchost.exe UDP 0.0.0.0 53"},
       "開始|svchost.exe|0.0.0.0:53|0.0.0.0:0"},
      {{udp, dns},
       {"+ svchost.exe TCP 0.0.0.0 53 0.0.0.0 0 LISTENING", "svchost.exe UDP 0.0.0.0 53"},
       ""},
  };
  for (size_t i = 0; i < steps.size(); ++i) {
    const size_t before = events().size();
    reading(steps[i].reading);
    EXPECT_EQ(rows(), steps[i].rows) << "reading " << i + 2;
    if (steps[i].newest.empty()) EXPECT_EQ(events().size(), before) << "reading " << i + 2;
    else EXPECT_EQ(events().front(), steps[i].newest) << "reading " << i + 2;
  }
  EXPECT_EQ(events()[events().size() - 4], "状態 ESTABLISHED → CLOSE_WAIT|browser.exe|"
                                           "127.0.0.1:5000|127.0.0.1:6000");
  EXPECT_EQ(cf()["LblConnEvents"].text(), "変化の記録 7 件");
  // Each mark has its own colour.
  reading({a + " ESTABLISHED 100", udp});
  reading({a + " SYN_SENT 100", udp});
  EXPECT_EQ(w().rowBackground(0), connections::kClosedColor);
  EXPECT_EQ(w().rowBackground(1), connections::kChangedColor);
  reading({a + " SYN_SENT 100", udp, "UDP 0.0.0.0:67 200"});
  EXPECT_EQ(w().rowBackground(3), connections::kAppearedColor);
  EXPECT_EQ(w().rowBackground(2), -1);
}

TEST_F(Connections, ProcessesAreNamedByTheirFileAndAReusedIdIsAnotherProgram) {
  os.processes[300] = {5, "D:\\tools\\old.exe"};
  const std::string e = "TCP 10.0.0.2:50000 10.0.0.9:443 ESTABLISHED ";
  open();
  const std::string idle = "TCP 10.0.0.2:50001 10.0.0.9:443 TIME_WAIT 0";
  reading({e + "300", idle, "UDP 0.0.0.0:123 0", "UDP 0.0.0.0:137 4", "UDP 0.0.0.0:500 999"});
  // Process 0 holds what a program let go of; anything else it is given
  // for is a program the system did not name.
  EXPECT_EQ(column(0), "old.exe,System Idle,PID 0,System,PID 999");
  // The program ends; another one starts with its id and holds the same
  // endpoint: the old connection ended, a new one began.
  os.processes[300] = {9, "D:\\tools\\new.exe"};
  reading({e + "300", idle, "UDP 0.0.0.0:123 0", "UDP 0.0.0.0:137 4", "UDP 0.0.0.0:500 999"});
  EXPECT_EQ(w().cell(0, 0), "new.exe");
  EXPECT_EQ(events()[0], "開始|new.exe|10.0.0.2:50000|10.0.0.9:443");
  EXPECT_EQ(events()[1], "終了|old.exe|10.0.0.2:50000|10.0.0.9:443");
  // The same id without a new start keeps its name without asking again.
  const int asked = os.processQuestions;
  reading({e + "300"});
  EXPECT_EQ(os.processQuestions, asked + 1);  // its start, once
  EXPECT_EQ(w().cell(0, 0), "new.exe");
}

TEST_F(Connections, AHeaderSortsByItsColumnBothWaysNumbersAndAddressesByValue) {
  os.processes[7] = {1, "C:\\a\\Zeta.exe"};
  os.processes[30] = {1, "C:\\a\\alpha.exe"};
  os.addressNames = {{"9.0.0.1", "b.example"}, {"10.0.0.2", "a.example"}};
  os.endpoints = {ep("TCP 192.168.0.1:8080 9.0.0.1:80 ESTABLISHED 30"),
                  ep("TCP 9.0.0.3:80 10.0.0.2:443 TIME_WAIT 7"),
                  ep("TCP 10.0.0.4:443 192.168.0.9:8080 CLOSE_WAIT 100")};
  open();
  w().awaitNames();
  os.endpoints.back().state = 5;  // the last one changes later
  os.clock += 5000;
  cf().userShortcut("F5");
  // Before any click: by protocol, then the addresses, upwards.
  EXPECT_EQ(column(connections::kLocalAddressColumn), "9.0.0.3,10.0.0.4,192.168.0.1");
  const std::vector<std::pair<std::string, std::string>> ascending = {
      {"alpha.exe,browser.exe,Zeta.exe", "Zeta.exe,browser.exe,alpha.exe"},
      {"7,30,100", "100,30,7"},
      {"TCP,TCP,TCP", "TCP,TCP,TCP"},
      {"9.0.0.3,10.0.0.4,192.168.0.1", "192.168.0.1,10.0.0.4,9.0.0.3"},
      {"80,443,8080", "8080,443,80"},
      {"9.0.0.1,10.0.0.2,192.168.0.9", "192.168.0.9,10.0.0.2,9.0.0.1"},
      {"80,443,8080", "8080,443,80"},
      {"ESTABLISHED,ESTABLISHED,TIME_WAIT", "TIME_WAIT,ESTABLISHED,ESTABLISHED"},
      {",a.example,b.example", "b.example,a.example,"},
  };
  for (int c = 0; c < static_cast<int>(ascending.size()); ++c) {
    w().list().userHeaderClick(c);
    EXPECT_EQ(column(c), ascending[c].first) << "column " << c;
    EXPECT_EQ(w().list().sortColumn(), c);
    w().list().userHeaderClick(c);
    EXPECT_EQ(column(c), ascending[c].second) << "column " << c;
    EXPECT_TRUE(w().list().sortDescending());
  }
  w().list().userHeaderClick(connections::kChangedColumn);
  EXPECT_EQ(column(connections::kLocalAddressColumn), "9.0.0.3,192.168.0.1,10.0.0.4");
}

TEST_F(Connections, RowsStayWhereTheyAreWhileTheirFiguresChangeAndNewOnesGoToTheirPlace) {
  const std::string a = "TCP 10.0.0.1:1000 10.0.0.9:80 ";
  const std::string c = "TCP 10.0.0.3:1000 10.0.0.9:80 ";
  os.endpoints = {ep(a + "ESTABLISHED 100"), ep(c + "LAST_ACK 100")};
  open();
  w().list().userHeaderClick(connections::kStateColumn);
  EXPECT_EQ(column(3), "10.0.0.1,10.0.0.3");
  select({1});
  // The first row's state now sorts after the second's: it stays; a new
  // row goes to its place before it; the selection stays on its row.
  reading({a + "TIME_WAIT 100", c + "LAST_ACK 100", "TCP 10.0.0.2:1000 10.0.0.9:80 ESTABLISHED 100"});
  EXPECT_EQ(column(3), "10.0.0.2,10.0.0.1,10.0.0.3");
  EXPECT_EQ(w().list().selection(), (std::vector<size_t>{2}));
}

// A reading asks the list to draw again every place whose text or colour
// changed, and leaves the others alone when no row moved; the title
// follows every count.
TEST_F(Connections, EveryPlaceWhoseTextOrColourChangedIsDrawnAgainAndTheTitleFollows) {
  const std::string a = "TCP 10.0.0.1:1000 10.0.0.9:80 ";
  const std::string b = "TCP 10.0.0.2:1000 10.0.0.9:80 ESTABLISHED 100";
  const std::string c = "TCP 10.0.0.4:1000 10.0.0.9:80 ESTABLISHED 100";
  const std::string n = "TCP 10.0.0.3:1000 10.0.0.9:80 ESTABLISHED 100";
  const std::string u = "UDP 0.0.0.0:67 200";
  os.endpoints = {ep(a + "ESTABLISHED 100"), ep(b), ep(c)};
  open();
  w().list().userHeaderClick(3);  // by local address
  auto look = [&] {  // each place as drawn: its cells, mark, colour and time of change
    std::vector<std::string> out = rows();
    for (size_t r = 0; r < out.size(); ++r)
      out[r] += std::to_string(w().rowBackground(r)) + w().cell(r, 9);
    return out;
  };
  struct Step {
    std::vector<std::string> reading;
    bool whole;  // rows moved or went
    std::string title;
  };
  const std::vector<Step> steps = {
      {{a + "ESTABLISHED 100", b, c}, false, "接続 (3 / 3)"},      // the marks age
      {{a + "CLOSE_WAIT 100", b, c}, false, "接続 (3 / 3)"},       // a state changes
      {{a + "CLOSE_WAIT 100", b, c}, false, "接続 (3 / 3)"},       // the new marks run out
      {{a + "CLOSE_WAIT 100", b, n, c}, true, "接続 (4 / 4)"},     // one comes between
      {{a + "CLOSE_WAIT 100", n, c}, false, "接続 (4 / 4)"},       // one closes: red, in place
      {{a + "CLOSE_WAIT 100", n, c}, false, "接続 (4 / 4)"},
      {{a + "CLOSE_WAIT 100", n, c}, false, "接続 (4 / 4)"},
      {{a + "CLOSE_WAIT 100", n, c}, true, "接続 (3 / 3)"},        // the closed row goes
      {{a + "CLOSE_WAIT 100", n, c, u}, true, "接続 (4 / 4)"},     // one comes at the end
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.title + (step.whole ? " moved" : ""));
    const std::vector<std::string> before = look();
    reading(step.reading);
    const std::vector<std::string> after = look();
    EXPECT_EQ(cf().caption(), step.title);
    const auto& asked = w().list().changedPlaces();
    EXPECT_TRUE(step.whole || !w().list().allChanged()) << "all drawn though no row moved";
    for (size_t p = 0; !w().list().allChanged() && p < std::max(before.size(), after.size()); ++p) {
      const bool same = p < before.size() && p < after.size() && before[p] == after[p];
      const bool redrawn = std::find(asked.begin(), asked.end(), p) != asked.end();
      EXPECT_TRUE(same ? step.whole || !redrawn : redrawn) << p;
    }
  }
}

TEST_F(Connections, TheFilterKeepsRowsWithAnyWordOrPortAndTheKindsTicked) {
  os.endpoints = {ep("TCP 0.0.0.0:80 0.0.0.0:0 LISTENING 200"),
                  ep("TCP 10.0.0.2:50000 10.0.0.9:8080 ESTABLISHED 100"),
                  ep("TCP 127.0.0.1:50001 127.0.0.1:80 ESTABLISHED 100"),
                  ep("UDP 0.0.0.0:5353 200"),
                  ep("UDPv6 [::1]:8080 100")};
  open();
  struct Case {
    std::vector<std::string> steps;
    std::string localPorts;
    std::string title;
  };
  const std::vector<Case> cases = {
      {{}, "80,50000,50001,5353,8080", "接続 (5 / 5)"},
      {{"type Edit_ConnFilter 80"}, "80,50001", "接続 (2 / 5)"},
      {{"type Edit_ConnFilter ＢＲＯＷＳＥＲ"}, "50000,50001,8080", "接続 (3 / 5)"},
      {{"type Edit_ConnFilter listen　5353"}, "80,5353", "接続 (2 / 5)"},
      {{"type Edit_ConnFilter 10.0.0.9 udpv6"}, "50000,8080", "接続 (2 / 5)"},
      {{"type Edit_ConnFilter nothing"}, "", "接続 (0 / 5)"},
      {{"click CB_ConnListen"}, "50000,50001,5353,8080", "接続 (4 / 5)"},
      {{"click CB_ConnUdp"}, "80,50000,50001", "接続 (3 / 5)"},
      {{"click CB_ConnLoopback"}, "80,50000,5353", "接続 (3 / 5)"},
      {{"click CB_ConnUdp", "click CB_ConnListen", "type Edit_ConnFilter 8080"}, "50000",
       "接続 (1 / 5)"},
  };
  for (const Case& k : cases) {
    cf()["Edit_ConnFilter"].setText("");
    for (const char* box : {"CB_ConnListen", "CB_ConnUdp", "CB_ConnLoopback"})
      cf()[box].setChecked(true);
    w().filterChange();
    for (const std::string& s : k.steps) {
      const size_t a = s.find(' '), b = s.find(' ', a + 1);
      form::Control& c = cf()[s.substr(a + 1, b == std::string::npos ? b : b - a - 1)];
      if (s.rfind("type", 0) == 0) cf().userType(c, s.substr(b + 1));
      else cf().userClick(c);
    }
    EXPECT_EQ(column(connections::kLocalPortColumn), k.localPorts) << k.steps.back();
    EXPECT_EQ(cf().caption(), k.title) << k.steps.back();
  }
}

TEST_F(Connections, CopyAndTheCsvFilesHoldTheRowsShownAndEveryEvent) {
  os.processes[300] = {1, "C:\\x\\a,\"b\".exe"};
  os.endpoints = {ep("TCP 10.0.0.2:50000 10.0.0.9:443 ESTABLISHED 300"),
                  ep("UDPv6 [fe80::7]:546 200")};
  os.setLocalTime("2026/12/10 09:05:03");
  open();
  os.endpoints.pop_back();
  os.setLocalTime("2026/12/10 09:05:04");
  cf().userShortcut("F5");
  std::string copied;
  w().list().copyText = [&copied](const std::string& t) {
    copied = t;
    return true;
  };
  cf().userFocus(cf()["LV_Connections"]);
  cf().userShortcut("Ctrl+A");
  cf().userShortcut("Ctrl+C");
  const std::string header =
      "プロセス\tPID\tプロトコル\tローカル アドレス\tローカル ポート\tリモート アドレス\t"
      "リモート ポート\t状態\tリモート名\t変化\r\n";
  EXPECT_EQ(copied, header +
                        "a,\"b\".exe\t300\tTCP\t10.0.0.2\t50000\t10.0.0.9\t443\tESTABLISHED\t\t09:05:03\r\n"
                        "svchost.exe\t200\tUDPv6\tfe80::7\t546\t\t\t\t\t09:05:04\r\n");
  os.dialogAnswers = {os.folder + "/rows.csv", os.folder + "/events.csv"};
  menu("Act_ConnSaveCsv");
  EXPECT_EQ(readBytes(os.folder + "/rows.csv"),
            "\xEF\xBB\xBF" + std::string("プロセス,PID,プロトコル,ローカル アドレス,ローカル ポート,"
                                         "リモート アドレス,リモート ポート,状態,リモート名,変化\r\n") +
                "\"a,\"\"b\"\".exe\",300,TCP,10.0.0.2,50000,10.0.0.9,443,ESTABLISHED,,09:05:03\r\n"
                "svchost.exe,200,UDPv6,fe80::7,546,,,,,09:05:04\r\n");
  cf().userClick(cf()["btnConnEventsSave"]);
  EXPECT_EQ(readBytes(os.folder + "/events.csv"),
            "\xEF\xBB\xBF" + std::string("時刻,出来事,プロセス,プロトコル,ローカル,リモート\r\n") +
                "2026/12/10 09:05:03,開始,\"a,\"\"b\"\".exe\",TCP,10.0.0.2:50000,10.0.0.9:443\r\n"
                "2026/12/10 09:05:03,開始,svchost.exe,UDPv6,[fe80::7]:546,\r\n"
                "2026/12/10 09:05:04,終了,svchost.exe,UDPv6,[fe80::7]:546,\r\n");
}

TEST_F(Connections, ClosingAConnectionAsksTheSystemAndARefusalOffersTheRestart) {
  os.endpoints = {ep("TCP 10.0.0.2:50000 10.0.0.9:443 ESTABLISHED 100"),
                  ep("TCP 0.0.0.0:80 0.0.0.0:0 LISTENING 200"),
                  ep("TCPv6 [::1]:50002 [::1]:80 ESTABLISHED 100")};
  open();
  // Only the IPv4 connection that is not listening can be closed; an IPv6
  // row says why not.
  const auto& item = w().list().menu()[3];
  for (size_t place : {0u, 2u}) {
    select({place});
    EXPECT_FALSE(item.enabled()) << place;
  }
  EXPECT_EQ(item.why(), "IPv6 の接続はシステムが切断を受け付けないため切れません");
  select({1});
  ASSERT_TRUE(item.enabled());
  os.closeAnswer = Outcome::Refused;
  os.yesNoAnswers = {false};
  menu("Act_ConnClose");
  ASSERT_EQ(os.questions.size(), 1u);
  EXPECT_EQ(os.questions[0], "接続|接続を切れませんでした: 管理者として実行してください"
                             "\r\n\r\n管理者として再起動しますか?");
  EXPECT_TRUE(os.elevatedStarts.empty());
  os.yesNoAnswers = {true};
  os.elevatedAnswer = platform::Platform::ElevatedStart::Cancelled;
  menu("Act_ConnClose");
  EXPECT_EQ(os.elevatedStarts.size(), 1u);
  os.closeAnswer = Outcome::Failed;
  menu("Act_ConnClose");
  EXPECT_EQ(os.messages.back(), "接続を切れませんでした: パラメーターが間違っています。");
  // Closed: the next reading shows the row closing.
  os.closeAnswer = Outcome::Closed;
  os.endpoints.erase(os.endpoints.begin());
  menu("Act_ConnClose");
  ASSERT_EQ(os.closed.size(), 1u);
  EXPECT_EQ(os.closed[0].remotePort, 443);
  EXPECT_EQ(w().rowMark(1), "- ");
}

TEST_F(Connections, TheRemoteGoesToTheMonitorThePingAndTracertPagesAndTheFileToItsFolder) {
  os.endpoints = {ep("TCP 0.0.0.0:80 0.0.0.0:0 LISTENING 200"),
                  ep("TCP 10.0.0.2:50000 10.0.0.9:443 ESTABLISHED 100")};
  open();
  const auto& watch = w().list().menu()[4];
  select({0});
  EXPECT_FALSE(watch.enabled());
  select({1});
  ASSERT_TRUE(watch.enabled());
  menu("Act_ConnPing");
  EXPECT_EQ(line(), "Ping_10.0.0.9");
  EXPECT_EQ(form().focused()->name(), "Edit1");
  EXPECT_EQ(main()["PageControl2"].activePageIndex(), app::kPing + 1);
  menu("Act_ConnTrace");
  EXPECT_EQ(line(), "tracert_10.0.0.9");
  program->monitor().form()["Memo_Hosts"].setText("10.0.0.1");
  menu("Act_ConnWatch");
  menu("Act_ConnWatch");
  EXPECT_EQ(program->monitor().form()["Memo_Hosts"].text(), "10.0.0.1\r\n10.0.0.9");
  EXPECT_TRUE(program->monitor().form().windowVisible());
  menu("Act_ConnFolder");
  EXPECT_EQ(os.shownInFolder, (std::vector<std::string>{"C:\\Program Files\\Web\\browser.exe"}));
}

TEST_F(Connections, TheChoicesSortAndBoundsAreKeptAcrossStarts) {
  open();
  cf().userPickItem(cf()["CB_ConnRefresh"], 3);
  EXPECT_EQ(cf().timerMs(), 5000);
  cf().userType(cf()["Edit_ConnFilter"], "browser 443");
  cf().userClick(cf()["CB_ConnUdp"]);
  cf().userClick(cf()["CB_ConnEvents"]);
  EXPECT_FALSE(cf()["PanelConnEvents"].visible());
  w().list().userHeaderClick(4);
  w().list().userHeaderClick(4);
  cf().setWindowBounds({100, 50, 900, 600});
  main().FormClose();
  program = std::make_unique<Program>(os);
  main().FormCreate();
  main().FormShow();
  EXPECT_EQ(cf()["CB_ConnRefresh"].itemIndex(), 3);
  EXPECT_EQ(cf()["Edit_ConnFilter"].text(), "browser 443");
  EXPECT_FALSE(cf()["CB_ConnUdp"].checked());
  EXPECT_TRUE(cf()["CB_ConnListen"].checked());
  EXPECT_FALSE(cf()["CB_ConnEvents"].checked());
  EXPECT_FALSE(cf()["PanelConnEvents"].visible());
  EXPECT_EQ(w().list().sortColumn(), 4);
  EXPECT_TRUE(w().list().sortDescending());
  EXPECT_EQ(cf().windowBounds(), (form::Rect{100, 50, 900, 600}));
  // Paused, it reads when opened and on F5 only.
  cf().userPickItem(cf()["CB_ConnRefresh"], 4);
  os.endpoints = {ep("TCP 10.0.0.2:50000 10.0.0.9:443 ESTABLISHED 100"), ep("UDP 0.0.0.0:500 100")};
  open();
  EXPECT_EQ(w().rowCount(), 1u);  // the filter and the boxes as kept
  w().awaitNames();
  cf().userTimer();  // the names in, nothing is left to wait for
  EXPECT_EQ(cf().timerMs(), -1);
}

TEST(ConnectionEvents, TheOldestGoBeyondTheLimitAndThePaneSaysHowMany) {
  ScriptedPlatform os;
  connections::Table t(os, 3);
  connections::Changes c;
  for (uint16_t port = 1; port <= 5; ++port) {
    os.endpoints = {ep("UDP 0.0.0.0:" + std::to_string(port) + " 4")};
    ASSERT_TRUE(t.refresh(c));
  }
  // Five opens and four closes; the three newest are kept.
  ASSERT_EQ(t.events().size(), 3u);
  EXPECT_EQ(t.events().dropped(), 6u);
  EXPECT_EQ(t.events()[0].ep.localPort, 3);
  EXPECT_EQ(connections::eventText(t.events()[1]), "開始");
  EXPECT_EQ(t.events()[1].ep.localPort, 5);
  os.endpointsUnreadable = true;
  EXPECT_FALSE(t.refresh(c));
  EXPECT_EQ(t.error(), "テーブルを読めません");
  EXPECT_EQ(t.liveCount(), 4u);  // the first close has shown and gone
}

TEST(ConnectionAddresses, AreWrittenAsNetstatWritesThem) {
  std::array<uint8_t, 16> a{};
  EXPECT_EQ(connections::addressText(a, true), "::");
  a = {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1};
  EXPECT_EQ(connections::addressText(a, true), "2001:db8::1:0:0:1");
  a = {0x20, 0x01, 0x0d, 0xb8, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(connections::addressText(a, true), "2001:db8:0:1::");
  a = {0xfe, 0x80, 0, 0, 0, 0, 0, 0, 0x12, 0x34, 0, 0, 0, 0, 0xab, 0xcd};
  EXPECT_EQ(connections::addressText(a, true), "fe80::1234:0:0:abcd");
  EXPECT_EQ(connections::addressText(address("172.16.254.1"), false), "172.16.254.1");
}

}  // namespace
}  // namespace velquin::test
