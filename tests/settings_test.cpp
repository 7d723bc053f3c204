// The settings file and the about box, through whole starts and closes of
// the program: the file as the user's disk holds it, the window as the
// user moves it.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "help/about_box.h"
#include "program.h"
#include "support/locked_folder.h"
#include "support/scripted_platform.h"

namespace velquin::test {
namespace {

const char kNoFile[] = "ファイルが有りません。";
const std::string kDesignFile = "2.2.2\r\n149\r\n233\r\n612\r\n476\r\n";

class Settings : public ::testing::Test {
 protected:
  std::string ini() { return os.folder + "/Velquin.ini"; }
  // One start of the program as the message loop makes it.
  void start() {
    program = std::make_unique<Program>(os);
    program->main().FormCreate();
    program->main().form().setClientSize(596, 438);
    program->main().FormShow();
  }
  void close() { program->main().FormClose(); }
  form::Form& form() { return program->main().form(); }
  form::Form& about() { return program->about().form(); }
  form::Rect bounds() { return form().windowBounds(); }

  ScriptedPlatform os;
  std::unique_ptr<Program> program;
};

TEST_F(Settings, StartReadsTheFileAndPlacesTheWindow) {
  struct Case {
    const char* what;
    std::optional<std::string> file;  // none: no file at all
    std::vector<std::string> messages;
    form::Rect bounds;
  };
  const form::Rect design{233, 149, 612, 476};
  const std::vector<Case> cases = {
      {"first start", std::nullopt, {kNoFile}, design},
      {"five good lines", "2.2.2\r\n10\r\n20\r\n700\r\n500\r\n", {}, {20, 10, 700, 500}},
      {"version only", "2.2.2\r\n\r\n\r\n\r\n\r\n", {}, design},
      {"bad third line", "2.2.2\r\n10\r\n12abc\r\n700\r\n500\r\n",
       {"'12abc' は整数ではありません"}, {233, 10, 612, 476}},
      {"two lines", "2.2.2\r\n10\r\n", {}, {233, 10, 612, 476}},
      {"LF line ends", "2.2.2\n10\n20\n700\n500\n", {}, {20, 10, 700, 500}},
      {"CR line ends", "2.2.2\r10\r20\r700\r500\r", {}, {20, 10, 700, 500}},
      {"blank inside a number", "2.2.2\r\n10\r\n 20\r\n700\r\n500\r\n",
       {"' 20' は整数ではありません"}, {233, 10, 612, 476}},
      {"past the int range", "2.2.2\r\n10\r\n20\r\n99999999999\r\n500\r\n",
       {"'99999999999' は整数ではありません"}, {20, 10, 612, 476}},
      // The work area is 1280 by 984 at the origin.
      {"off every monitor", "2.2.2\r\n-30000\r\n-30000\r\n700\r\n500\r\n", {},
       {0, 0, 700, 500}},
      {"past the right edge", "2.2.2\r\n100\r\n5000\r\n700\r\n500\r\n", {},
       {580, 100, 700, 500}},
      {"too small", "2.2.2\r\n10\r\n20\r\n-40\r\n3\r\n", {}, {20, 10, 200, 150}},
      {"absurdly large", "2.2.2\r\n10\r\n20\r\n2000000000\r\n2147483647\r\n", {},
       {20, 10, 1280, 984}},
      {"closed maximised", "2.2.2\r\n-8\r\n-8\r\n1296\r\n1000\r\n", {},
       {-8, -8, 1296, 1000}},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(ini());
    if (c.file) writeBytes(ini(), toCp932(*c.file));
    os.messages.clear();
    start();
    EXPECT_EQ(os.messages, c.messages) << c.what;
    EXPECT_EQ(bounds(), c.bounds) << c.what;
  }
}

TEST_F(Settings, CloseWritesTheVersionAndTheBoundsOfTheMoment) {
  writeBytes(ini(), "1.0.0\r\n1\r\n2\r\n300\r\n400\r\n");
  start();
  // The user moves and sizes the window; the renderer reports it.
  form().setWindowBounds({50, 60, 640, 480});
  close();
  EXPECT_EQ(readBytes(ini()), "2.2.2\r\n60\r\n50\r\n640\r\n480\r\n");
  for (int i = 1; i <= 5; ++i)
    EXPECT_EQ(form()["LBS" + std::to_string(i)].text(),
              form()["LB_" + std::to_string(i)].text());
  // The next start opens where this one closed.
  start();
  EXPECT_EQ(bounds(), (form::Rect{50, 60, 640, 480}));
}

TEST_F(Settings, OnStackedMonitorsOnlyACaptionOnNoWorkAreaMovesTheWindow) {
  // An upper monitor with its task bar at the bottom, a wider one below.
  os.monitors = {{0, 0, 1280, 984}, {0, 1024, 1920, 1040}};
  const struct {
    const char* what;
    form::Rect stored, opened;
  } cases[] = {
      {"caption above, most of it below", {100, 900, 700, 500}, {100, 900, 700, 500}},
      {"caption on the task bar", {100, 990, 700, 500}, {100, 1024, 700, 500}},
      {"cut to the lower monitor", {0, 1100, 1900, 2000}, {0, 1100, 1900, 1040}},
      {"cut to the upper monitor", {0, 100, 1900, 500}, {0, 100, 1280, 500}},
      {"right of the upper monitor", {1500, 100, 700, 500}, {580, 100, 700, 500}},
  };
  for (const auto& c : cases) {
    const form::Rect& b = c.stored;
    writeBytes(ini(), "2.2.2\r\n" + std::to_string(b.top) + "\r\n" +
                          std::to_string(b.left) + "\r\n" +
                          std::to_string(b.width) + "\r\n" +
                          std::to_string(b.height) + "\r\n");
    start();
    EXPECT_EQ(bounds(), c.opened) << c.what;
  }
}

// Which monitor a point is on, or the nearest one: both edges of each
// area, and the distance to its nearest pixel.
TEST(WorkArea, ThePointsMonitorOrTheNearest) {
  const std::vector<platform::ScreenRect> areas = {{0, 0, 100, 50},
                                                   {200, 0, 100, 50},
                                                   {0, 100, 100, 50}};
  const struct { int x, y, area; bool holds; } cases[] = {
      {0, 0, 0, true},      {99, 49, 0, true},   {200, 49, 1, true},
      {299, 0, 1, true},    {100, 0, 0, false},  {-1, 0, 0, false},
      {0, -1, 0, false},    {0, 50, 0, false},   {199, 10, 1, false},
      {300, 10, 1, false},  {149, 10, 0, false}, {150, 10, 1, false},
      {150, -60, 1, false}, {149, 60, 0, false}, {10, 74, 0, false},
      {10, 75, 2, false},
  };
  for (const auto& c : cases) {
    const platform::WorkArea a = platform::workAreaAt(areas, c.x, c.y);
    EXPECT_EQ(a.rect, areas[c.area]) << c.x << "," << c.y;
    EXPECT_EQ(a.holds, c.holds) << c.x << "," << c.y;
  }
  EXPECT_EQ(platform::workAreaAt({}, 5, 5).rect, platform::ScreenRect{});
  EXPECT_FALSE(platform::workAreaAt({}, 5, 5).holds);
}

TEST_F(Settings, BoundsAreStoredInTheUnitOfTheSystemScale) {
  // At 144 DPI a monitor of 1920 by 1440 screen pixels.
  os.monitors = {{0, 0, 1920, 1440}};
  const std::string at96 = "2.2.2\r\n150\r\n240\r\n612\r\n476\r\n";
  const std::string odd = "2.2.2\r\n101\r\n201\r\n611\r\n477\r\n";
  const struct {
    const char* what;
    std::string file;
    int dpi;
    form::Rect opened;
    std::string closed;  // the file after closing where it opened
  } cases[] = {
      {"written at 96, read at 144", at96, 144, {360, 225, 918, 714}, at96},
      {"written at 96, read at 96", at96, 96, {240, 150, 612, 476}, at96},
      {"closed maximised at 144", "2.2.2\r\n-7\r\n-7\r\n1295\r\n975\r\n", 144,
       {-11, -11, 1943, 1463}, "2.2.2\r\n-7\r\n-7\r\n1295\r\n975\r\n"},
      {"off every monitor at 144", "2.2.2\r\n-30000\r\n-30000\r\n700\r\n500\r\n",
       144, {0, 0, 1050, 750}, "2.2.2\r\n0\r\n0\r\n700\r\n500\r\n"},
      // What a close at 144 DPI with the window at (301, 151, 917, 715)
      // writes: it opens one pixel off, once, and then stays.
      {"odd bounds at 144", odd, 144, {302, 152, 917, 716}, odd},
      {"written at 144, read at 96", odd, 96, {201, 101, 611, 477}, odd},
      {"too small at 144", "2.2.2\r\n10\r\n20\r\n-40\r\n3\r\n", 144,
       {30, 15, 300, 225}, "2.2.2\r\n10\r\n20\r\n200\r\n150\r\n"},
      {"beyond any screen at 144",
       "2.2.2\r\n2147483647\r\n-2147483648\r\n2000000000\r\n2147483647\r\n",
       144, {0, 0, 1920, 1440}, "2.2.2\r\n0\r\n0\r\n1280\r\n960\r\n"},
  };
  for (const auto& c : cases) {
    writeBytes(ini(), c.file);
    os.dpi = c.dpi;
    start();
    EXPECT_EQ(bounds(), c.opened) << c.what;
    close();
    EXPECT_EQ(readBytes(ini()), c.closed) << c.what;
  }
}

TEST_F(Settings, NothingIsWrittenFromACdRomAndAFailedWriteKeepsTheOldFile) {
  writeBytes(ini(), kDesignFile);
  os.drive = platform::DriveType::CdRom;
  start();
  form().setWindowBounds({1, 2, 300, 400});
  close();
  EXPECT_EQ(readBytes(ini()), kDesignFile);

  os.drive = platform::DriveType::Fixed;
  LockedFolder lock(os.folder);
  if (lock.writable()) GTEST_SKIP() << "cannot make a folder unwritable here";
  start();
  form().setWindowBounds({1, 2, 300, 400});
  os.messages.clear();
  close();
  EXPECT_EQ(readBytes(ini()), kDesignFile);
  EXPECT_TRUE(os.messages.empty());
}

TEST_F(Settings, VersionShowsTheOneAboutBoxCentredAndItsCloseOnlyHidesIt) {
  writeBytes(ini(), kDesignFile);
  start();
  EXPECT_FALSE(about().windowVisible());
  form().userSelectPage(form()["PageControl1"], 4);  // help page
  form().setWindowBounds({100, 100, 612, 476});
  for (int press = 0; press < 2; ++press) {
    form().userClick(form()["btnHelp3"]);
    EXPECT_TRUE(about().windowVisible());
    EXPECT_EQ(about().windowBounds(), (form::Rect{273, 162, 266, 351}));
  }
  about().userClick(about()["Label11"]);
  about().userClick(about()["Label10"]);
  EXPECT_EQ(os.opened, (std::vector<std::string>{app::kMakerSite, app::kMakerHome}));
  EXPECT_EQ(os.openedBy, (std::vector<std::string>{"frmAbout", "frmAbout"}));
  about().userClick(about()["btnClose"]);
  EXPECT_FALSE(about().windowVisible());
  // Shown again over a moved main window: the same box, recentred.
  form().setWindowBounds({0, 0, 612, 476});
  form().userClick(form()["btnHelp3"]);
  EXPECT_EQ(about().windowBounds(), (form::Rect{173, 62, 266, 351}));
  EXPECT_EQ(about().focused(), &about()["btnClose"]);
  close();
  EXPECT_EQ(readBytes(ini()).substr(0, 7), "2.2.2\r\n");
}

}  // namespace
}  // namespace velquin::test
