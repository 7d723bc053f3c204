// The main window's own handlers and the tool selector, driven as a user.
#include "support/app_fixture.h"

namespace velquin::test {
namespace {

using Shell = AppTest;

TEST_F(Shell, StartsOnTheFirstPageWithNoToolAndAllFlagsDown) {
  EXPECT_EQ(form().caption(), "Velquin ");
  EXPECT_EQ(form().windowBounds(), app::kDesignBounds);
  EXPECT_EQ(main()["PageControl1"].activePage()->name(), "TabSheet1");
  EXPECT_EQ(main()["PageControl2"].activePage()->name(), "TS_Top");
  EXPECT_EQ(main()["RadioGroup1"].itemIndex(), -1);
  EXPECT_EQ(text("Edit1"), "");
  EXPECT_EQ(text("Edit_flg"), "0");
  EXPECT_EQ(text("Edit_ctrl"), "0");
  EXPECT_FALSE(main()["btnReflesh"].enabled());
  EXPECT_EQ(main().startFolder(), os.folder);
  for (form::Control* page : main()["PageControl2"].pages())
    EXPECT_FALSE(page->tabVisible()) << page->name();
  EXPECT_EQ(main()["PageControl2"].pages().size(), 11u);
}

TEST_F(Shell, PickingAToolShowsItsPageAndEmptiesTheCommandLine) {
  const char* pages[] = {"TS_ipconfig", "TS_ping", "TS_netstat", "TS_nbtstat",
                         "TS_route", "TS_tracert", "TS_net", "TS_arp",
                         "TS_nslookup", "TS_pathping"};
  for (int tool = 0; tool < app::kToolCount; ++tool) {
    main()["Edit1"].setText("ping host1");
    chooseTool(tool);
    EXPECT_EQ(main()["PageControl2"].activePage()->name(), pages[tool]);
    EXPECT_EQ(text("Edit1"), "") << pages[tool];
    EXPECT_TRUE(main()["btnReflesh"].enabled());
  }
}

TEST_F(Shell, NetArpNslookupAndPathpingLeaveTheFocusWhereItWas) {
  for (int tool : {app::kNet, app::kArp, app::kNslookup, app::kPathping}) {
    chooseTool(tool);
    EXPECT_EQ(form().focused(), &main()["RadioGroup1"]);
  }
}

TEST_F(Shell, ClickingTheChosenToolAgainRunsNothing) {
  chooseTool(app::kArp);
  main()["Edit1"].setText("arp -a");
  chooseTool(app::kArp);
  EXPECT_EQ(text("Edit1"), "arp -a");
}

TEST_F(Shell, ResetGoesBackToTheFirstPageButKeepsTheCommandLine) {
  chooseTool(app::kRoute);
  main()["Edit1"].setText("route print");
  main()["Edit_flg"].setText("1");
  form().userSelectPage(main()["PageControl1"], 4);  // help page by its tab
  click("btnReflesh");
  EXPECT_EQ(main()["PageControl1"].activePage()->name(), "TabSheet1");
  EXPECT_EQ(main()["PageControl2"].activePage()->name(), "TS_Top");
  EXPECT_EQ(main()["RadioGroup1"].itemIndex(), -1);
  EXPECT_EQ(text("Edit1"), "route print");
  EXPECT_EQ(text("Edit_flg"), "0");
  EXPECT_FALSE(main()["btnReflesh"].enabled());
  // The same tool again shows its page as the user left it.
  chooseTool(app::kRoute);
  EXPECT_EQ(main()["PageControl2"].activePage()->name(), "TS_route");
}

TEST_F(Shell, UserPageChangeClearsStopRequestAndFollowsTheToolOnHelp) {
  main()["Edit_flg"].setText("1");
  form().userSelectPage(main()["PageControl1"], 1);
  EXPECT_EQ(text("Edit_flg"), "0");
  EXPECT_TRUE(main()["btnReflesh"].enabled());
  // No tool chosen: the help page's choice is cleared without a click, so
  // the usage text on view stays as it was.
  EXPECT_EQ(main()["RadioGroupH"].itemIndex(), -1);

  form().userSelectPage(main()["PageControl1"], 0);
  chooseTool(app::kRoute);
  form().userSelectPage(main()["PageControl1"], 4);
  EXPECT_EQ(main()["RadioGroupH"].itemIndex(), 4);
  // Tools past the help page's items select its last item, tracert.
  for (int tool : {app::kNet, app::kArp, app::kNslookup, app::kPathping}) {
    form().userSelectPage(main()["PageControl1"], 0);
    chooseTool(tool);
    form().userSelectPage(main()["PageControl1"], 3);
    EXPECT_EQ(main()["RadioGroupH"].itemIndex(), 5);
  }
}

TEST_F(Shell, AHandlerChangingThePageRunsNoPageChange) {
  main()["Edit_flg"].setText("1");
  main()["PageControl1"].setActivePageIndex(1);
  EXPECT_EQ(text("Edit_flg"), "1");
}

TEST_F(Shell, CloseButtonAsksTheWindowToClose) {
  click("btnClose");
  EXPECT_EQ(os.closeRequests, 1);
}

TEST_F(Shell, LinkLabelsOpenTheMakersPages) {
  click("Label11");
  click("Label10");
  EXPECT_EQ(os.opened, (std::vector<std::string>{app::kMakerSite,
                                                 app::kMakerHome}));
}

}  // namespace
}  // namespace velquin::test
