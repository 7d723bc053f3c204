// The tool pages in the real window: clicks and typing on the native
// controls build each page's command line, and a run shows what the
// system's own console programs print.
#include "tool_pages.h"

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "win32/text.h"

namespace velquin::test {
namespace {

TEST_F(ToolPages, IpconfigAllShowsTheSystemsOutputWithItsJapaneseText) {
  ASSERT_EQ(GetACP(), 932u) << "the program serves the Japanese code page";
  chooseTool(app::kIpconfig);
  click("RadioGroup2#0");
  EXPECT_EQ(text("Edit1"), "ipconfig /all");
  EXPECT_FALSE(visible("btnIP_C"));
  EXPECT_FALSE(visible("Edit2"));

  ASSERT_TRUE(runToEnd());
  EXPECT_TRUE(visible("Memo0"));
  const std::string printed = systemOutput("ipconfig /all");
  ASSERT_GT(japaneseCharacters(printed), 20) << printed;
  EXPECT_EQ(text("Memo0"), "ipconfig /all\r\n" + printed);
}

TEST_F(ToolPages, PingTwiceToTheLoopbackShowsBothReplies) {
  chooseTool(app::kPing);
  EXPECT_EQ(GetFocus(), byName("Edit3"));
  typeInto("Edit3", "127.0.0.1");
  click("btnPing_S");
  ASSERT_TRUE(visible("PanelPING"));
  click("CB_ping2");
  EXPECT_TRUE(ticked("CB_ping2"));
  // The console's default makes room for the user's own value.
  EXPECT_EQ(text("Edit3_n"), "4");
  enterField("Edit3_n");
  EXPECT_EQ(text("Edit3_n"), "");
  typeInto("Edit3_n", "2");
  click("btnPingC");
  EXPECT_EQ(line(), "Ping_-n_2_127.0.0.1");
  EXPECT_TRUE(os.messages.empty());

  ASSERT_TRUE(runToEnd());
  const std::vector<std::string> shown = linesOf(text("Memo0"));
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.front(), "Ping -n 2 127.0.0.1");
  const auto replies = std::count_if(shown.begin(), shown.end(), [](auto& l) {
    return l.find("127.0.0.1") != std::string::npos &&
           l.find("TTL=") != std::string::npos;
  });
  EXPECT_EQ(replies, 2) << text("Memo0");
}

TEST_F(ToolPages, NetstatAllShowsTheSystemsTable) {
  chooseTool(app::kNetstat);
  click("RadioGroup3#1");
  EXPECT_FALSE(visible("RadioGroup3_2"));
  click("btnNetstat");
  EXPECT_EQ(line(), "netstat_-a");

  ASSERT_TRUE(runToEnd());
  const std::string shown = text("Memo0");
  EXPECT_EQ(shown.rfind("netstat -a\r\n", 0), 0u) << shown;
  // The title and the column heading; the rows come and go with the
  // machine's connections.
  int heading = 0;
  for (const std::string& l : linesOf(systemOutput("netstat -a"))) {
    if (l.empty()) continue;
    EXPECT_NE(shown.find(l), std::string::npos) << l;
    if (++heading == 2) break;
  }
  EXPECT_EQ(heading, 2);
  EXPECT_GT(japaneseCharacters(shown), 0);
}

TEST_F(ToolPages, ArpAllRunsTheSystemsArp) {
  chooseTool(app::kArp);
  click("RadioGroup5#0");
  EXPECT_FALSE(visible("Edit_arp1"));
  EXPECT_FALSE(visible("Edit_arp2"));
  click("Button5");
  EXPECT_EQ(line(), "arp_-a");

  ASSERT_TRUE(runToEnd());
  EXPECT_EQ(text("Memo0"), "arp -a\r\n" + systemOutput("arp -a"));
}

struct Flow {
  const char* what;
  int tool;
  std::vector<Step> steps;
  const char* line;     // Edit1 afterwards, blanks shown as "_"
  const char* message;  // the message box shown, or ""
};

void PrintTo(const Flow& f, std::ostream* os) { *os << f.what; }

class ToolPageFlow : public ToolPages,
                     public ::testing::WithParamInterface<Flow> {};

TEST_P(ToolPageFlow, WritesItsLineIntoTheCommandLineField) {
  const Flow& flow = GetParam();
  chooseTool(flow.tool);
  perform(flow.steps);
  EXPECT_EQ(line(), flow.line);
  // The model and the window agree on the line.
  std::string model = main()["Edit1"].text();
  std::replace(model.begin(), model.end(), ' ', '_');
  EXPECT_EQ(model, flow.line);
  if (*flow.message)
    EXPECT_EQ(os.messages, std::vector<std::string>{flow.message});
  else
    EXPECT_TRUE(os.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(ToolPages, ToolPageFlow, ::testing::Values(
    Flow{"ipconfig: release of an adapter whose name has a blank",
         app::kIpconfig,
         {Click("RadioGroup2#1"), Type("Edit2", "LAN 1"), Click("btnIP_C")},
         "ipconfig_/release_LAN_1", ""},
    Flow{"ipconfig: renew, confirmed with Alt+S", app::kIpconfig,
         {Click("RadioGroup2#2"), Type("Edit2", "eth0"), Alt("s")},
         "ipconfig_/renew_eth0", ""},
    Flow{"ping: options without a value, two blanks after each",
         app::kPing,
         {Type("Edit3", "10.0.0.1"), Click("btnPing_S"), Click("CB_ping1"),
          Click("CB_ping4"), Click("CB_ping10"), Click("btnPingC")},
         "Ping_-a__-f__-t__10.0.0.1", ""},
    Flow{"ping: a value field entered and left empty", app::kPing,
         {Type("Edit3", "host1"), Click("btnPing_S"), Click("CB_ping2"),
          Enter("Edit3_n"), Click("btnPingC")},
         "Ping_-n__host1", ""},
    Flow{"ping: no address, the line is written all the same", app::kPing,
         {Click("btnPingC")}, "Ping_", "相手アドレスを入力して下さい。"},
    Flow{"netstat: protocol statistics with the names emptied",
         app::kNetstat,
         {Click("RadioGroup3#3"), Click("RadioGroup3_2#1"), Type("Edit5", ""),
          Click("btnNetstat")},
         "netstat_-s_-p_", ""},
    Flow{"netstat: protocols typed for display 4, Alt+S", app::kNetstat,
         {Click("RadioGroup3#4"), Type("Edit5", "udp"), Alt("s")},
         "netstat_-p_udp", ""},
    Flow{"nbtstat: no address", app::kNbtstat,
         {Click("RadioGroup4_2#1"), Click("btnNB_Set")}, "nbtstat__-n", ""},
    Flow{"nbtstat: a machine by name", app::kNbtstat,
         {Click("RadioGroup4_1#0"), Type("Edit4", "SERVER1"),
          Click("RadioGroup4_2#0"), Click("btnNB_Set")},
         "nbtstat_-a_SERVER1_-c", ""},
    Flow{"route: the presets as they stand", app::kRoute,
         {Click("btnRoute_Click")},
         "route___192.168.1.1_MASK_255.255.255.255_192.168.1.1", ""},
    Flow{"route: add with metric and interface", app::kRoute,
         {Click("RadioGroup5_2#2"), Type("Edit5_4", "2"), Type("Edit5_5", "3"),
          Click("btnRoute_Click")},
         "route_ADD__192.168.1.1_MASK_255.255.255.255_192.168.1.1_METRIC_2_IF_3",
         ""},
    Flow{"tracert: every box", app::kTracert,
         {Type("Edit6", "host1"), Click("CB_Trace1"), Click("CB_Trace2"),
          Click("CB_Trace3"), Type("Edit6_3", "10.0.0.1 10.0.0.2"),
          Click("CB_Trace4"), Click("btnTrace")},
         "tracert_-d_-h_30_-j_10.0.0.1_10.0.0.2_-w_4000_host1", ""},
    Flow{"arp: all entries", app::kArp,
         {Click("RadioGroup5#0"), Click("Button5")}, "arp_-a", ""},
    Flow{"arp: an address never entered keeps its placeholder", app::kArp,
         {Click("RadioGroup5#1"), Click("Button5")}, "arp_-a_IPアドレス", ""},
    Flow{"arp: a static entry", app::kArp,
         {Click("RadioGroup5#3"), Type("Edit_arp1", "192.168.1.20"),
          Type("Edit_arp2", "00-11-22-33-44-55"), Click("Button5")},
         "arp_-s_192.168.1.20_00-11-22-33-44-55", ""},
    Flow{"nslookup: confirmed right after start", app::kNslookup,
         {Click("Button6")}, "nslookup_set_all", ""},
    Flow{"nslookup: a query to a given server", app::kNslookup,
         {Choose("cmblookup1", 2), Type("Edit_lookup1", "host1"),
          Type("Edit_lookup2", "192.168.1.1"), Click("Button6")},
         "nslookup_host1_192.168.1.1", ""},
    Flow{"nslookup: retry with its preset and the name of a query",
         app::kNslookup,
         {Choose("cmblookup1", 1), Type("Edit_lookup1", "host1"),
          Choose("cmblookup1", 0), Choose("cmblookup2", 9), Click("Button6")},
         "nslookup_set_retry=64_host1", ""},
    Flow{"nslookup: an on/off option set to No, Alt+S", app::kNslookup,
         {Choose("cmblookup1", 1), Choose("cmblookup1", 0),
          Choose("cmblookup2", 1), Choose("cmblookup3", 1), Alt("s")},
         "nslookup_set_nodebug_問合せ名", ""},
    Flow{"pathping: every box, the two empty fields left empty",
         app::kPathping,
         {Type("Edit_pping0", "host1"), Click("CB_pping1"), Click("CB_pping2"),
          Click("CB_pping3"), Click("CB_pping4"), Click("CB_pping5"),
          Click("CB_pping6"), Click("CB_pping7"), Click("CB_pping8"),
          Click("CB_pping9"), Click("CB_pping10"), Click("btnPPing")},
         "pathping_-n_-h_30_-g__-p_250_-q_100_-w_3000_-i__-4_-R_-T_host1", ""},
    Flow{"pathping: no target, the line stays", app::kPathping,
         {Type("Edit1", "pathping host0"), Click("CB_pping1"),
          Click("btnPPing")},
         "pathping_host0", "相手先のアドレス等を入力して下さい。"}));

TEST_F(ToolPages, ResizingTheIpconfigPageBringsTheAdapterControlsBack) {
  chooseTool(app::kIpconfig);
  click("RadioGroup2#3");
  EXPECT_EQ(text("Edit1"), "ipconfig /flushdns");
  EXPECT_FALSE(visible("btnIP_C"));

  RECT rc;
  GetWindowRect(window->hwnd(), &rc);
  SetWindowPos(window->hwnd(), nullptr, 0, 0, rc.right - rc.left + 40,
               rc.bottom - rc.top + 30, SWP_NOMOVE | SWP_NOZORDER);
  pump();
  for (const char* name : {"Label2", "Edit2", "btnIP_C"})
    EXPECT_TRUE(visible(name)) << name;
  EXPECT_EQ(text("Edit1"), "");
  EXPECT_EQ(SendMessageW(byName("RadioGroup2#3"), BM_GETCHECK, 0, 0),
            BST_CHECKED);
  // Item 3 takes no adapter: the button shown again writes nothing.
  click("btnIP_C");
  EXPECT_EQ(text("Edit1"), "");
}

TEST_F(ToolPages, FreeTextInTheNslookupCommandKindChoosesNothing) {
  chooseTool(app::kNslookup);
  typeInto("Edit1", "nslookup host0");
  choose("cmblookup1", 2);
  EXPECT_TRUE(visible("Edit_lookup1"));
  EXPECT_TRUE(visible("Edit_lookup2"));
  EXPECT_EQ(text("Edit_lookup2"), "サーバー名");
  typeKeys("cmblookup1", "x");
  EXPECT_EQ(main()["cmblookup1"].itemIndex(), -1);
  EXPECT_FALSE(visible("Edit_lookup1"));
  EXPECT_FALSE(visible("Edit_lookup2"));
  EXPECT_FALSE(visible("cmblookup2"));
  click("Button6");
  EXPECT_EQ(text("Edit1"), "nslookup host0");
}

// Tab from a page's first control: every control of the page in reading
// order, each value field right after its box, the confirm button, then
// the command line below the pages.
struct TabWalk {
  const char* what;
  int tool;
  std::vector<Step> steps;
  const char* start;
  std::vector<const char*> walk;
};

void PrintTo(const TabWalk& w, std::ostream* os) { *os << w.what; }

class ToolPageTabs : public ToolPages,
                     public ::testing::WithParamInterface<TabWalk> {
 protected:
  // The window that has the focus, by name; the edit part of a combo box
  // stands for the combo box.
  std::string focusName() {
    HWND f = GetFocus();
    std::string name = nameOf(f);
    return name.empty() ? nameOf(GetParent(f)) : name;
  }
};

TEST_P(ToolPageTabs, TabWalksThePageInReadingOrder) {
  const TabWalk& w = GetParam();
  chooseTool(w.tool);
  perform(w.steps);
  SetFocus(byName(w.start));
  pump(10);
  ASSERT_EQ(focusName(), w.start);
  for (const char* next : w.walk) {
    PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    pump(5);
    EXPECT_EQ(focusName(), next);
  }
}

INSTANTIATE_TEST_SUITE_P(ToolPages, ToolPageTabs, ::testing::Values(
    TabWalk{"ipconfig, release", app::kIpconfig, {Click("RadioGroup2#1")},
            "RadioGroup2#1", {"Edit2", "btnIP_C", "Edit1"}},
    TabWalk{"ping with its detail panel open", app::kPing,
            {Click("btnPing_S")}, "Edit3",
            {"btnPing_S", "CB_ping1", "CB_ping2", "Edit3_n", "CB_ping3",
             "Edit3_l", "CB_ping4", "CB_ping5", "Edit3_i", "CB_ping6",
             "Edit3_v", "CB_ping7", "Edit3_r", "CB_ping8", "Edit3_s",
             "CB_ping9", "Edit3_w", "CB_ping10", "btnPingC", "Edit1"}},
    TabWalk{"ping with its detail panel closed", app::kPing, {}, "Edit3",
            {"btnPing_S", "btnPingC", "Edit1"}},
    TabWalk{"netstat, protocol statistics by protocol", app::kNetstat,
            {Click("RadioGroup3#3"), Click("RadioGroup3_2#1")},
            "RadioGroup3#3", {"RadioGroup3_2#1", "Edit5", "btnNetstat"}},
    TabWalk{"nbtstat", app::kNbtstat, {Click("RadioGroup4_2#2")},
            "RadioGroup4_1#1", {"Edit4", "RadioGroup4_2#2", "btnNB_Set"}},
    TabWalk{"route", app::kRoute, {}, "RadioGroup5_1#0",
            {"RadioGroup5_2#0", "Edit5_1", "Edit5_2", "Edit5_3", "Edit5_4",
             "Edit5_5", "btnRoute_Click", "Edit1"}},
    TabWalk{"tracert", app::kTracert, {}, "Edit6",
            {"CB_Trace1", "CB_Trace2", "Edit6_2", "CB_Trace3", "Edit6_3",
             "CB_Trace4", "Edit6_4", "btnTrace", "Edit1"}},
    TabWalk{"arp, a static entry", app::kArp, {Click("RadioGroup5#3")},
            "RadioGroup5#3", {"Edit_arp1", "Edit_arp2", "Button5", "Edit1"}},
    TabWalk{"nslookup, a query to a given server", app::kNslookup,
            {Choose("cmblookup1", 2)}, "cmblookup1",
            {"Edit_lookup1", "Edit_lookup2", "Button6", "Edit1"}},
    TabWalk{"nslookup, a set option with a value", app::kNslookup,
            {Choose("cmblookup1", 1), Choose("cmblookup1", 0),
             Choose("cmblookup2", 9)},
            "cmblookup1", {"cmblookup2", "Edit11", "Button6", "Edit1"}},
    TabWalk{"pathping", app::kPathping, {}, "Edit_pping0",
            {"CB_pping1", "CB_pping2", "Edit_pping1", "CB_pping3",
             "Edit_pping2", "CB_pping4", "Edit_pping3", "CB_pping5",
             "Edit_pping4", "CB_pping6", "Edit_pping5", "CB_pping7",
             "Edit_pping6", "CB_pping8", "Edit_pping7", "CB_pping9",
             "CB_pping10", "btnPPing", "Edit1"}}));

}  // namespace
}  // namespace velquin::test
