// The ping graph in the real window: Ctrl+G from the keyboard shows the
// pane over a command's output, its figures read through their window, the
// picture saved as a PNG of the drawing's size, the alert in the status bar
// while a command prints losses with pauses, and Ctrl+Break reaching the
// command's console.
#include <wincodec.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "../support/ping_samples.h"
#include "form/form.h"
#include "wine_app.h"
#include "win32/text.h"

namespace velquin::test {
namespace {

// The tests' own files, through the drive that Wine gives the root.
std::string sourcePath(const std::string& rest) {
  std::string p = std::string("Z:") + VELQUIN_TEST_SOURCE + "/" + rest;
  std::replace(p.begin(), p.end(), '/', '\\');
  return p;
}

std::string eventTool() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return win32::narrow(
      (std::filesystem::path(self).parent_path() / L"velquin_event_tool.exe").wstring());
}

// Runs the action at every tick of a timer of the thread while the program
// runs a command in its own message loop.
class Ticker {
 public:
  explicit Ticker(std::function<void()> tick) {
    current() = std::move(tick);
    id_ = SetTimer(nullptr, 0, 30, [](HWND, UINT, UINT_PTR, DWORD) {
      if (current()) current()();
    });
  }
  ~Ticker() {
    KillTimer(nullptr, id_);
    current() = nullptr;
  }

 private:
  static std::function<void()>& current() {
    static std::function<void()> f;
    return f;
  }
  UINT_PTR id_;
};

// A PNG file as the system's decoder reads it back: its size and its
// pixels, top row first; no pixels when it is no PNG.
struct Decoded {
  UINT width = 0, height = 0;
  std::vector<BYTE> bgra;
  COLORREF at(UINT x, UINT y) const {
    const BYTE* p = &bgra[(static_cast<size_t>(y) * width + x) * 4];
    return RGB(p[2], p[1], p[0]);
  }
  // Where the pixels of the colour are.
  std::vector<POINT> of(COLORREF color) const {
    std::vector<POINT> out;
    for (UINT y = 0; y < height && !bgra.empty(); ++y)
      for (UINT x = 0; x < width; ++x)
        if (at(x, y) == color) out.push_back({static_cast<LONG>(x), static_cast<LONG>(y)});
    return out;
  }
};
Decoded decodePng(const std::wstring& path) {
  const CLSID factoryId = {0xcacaf262, 0x9370, 0x4615,
                           {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
  const IID factoryIid = {0xec5ec8a9, 0xc395, 0x4314,
                          {0x9c, 0x77, 0x54, 0xd7, 0xa9, 0x35, 0xff, 0x70}};
  const GUID png = {0x1b7cfaf4, 0x713f, 0x473c, {0xbb, 0xcd, 0x61, 0x37, 0x42, 0x5f, 0xae, 0xaf}};
  const GUID bgr32 = {0x6fddc324, 0x4e03, 0x4bfe, {0xb1, 0x85, 0x3d, 0x77, 0x76, 0x8d, 0xc9, 0x0e}};
  Decoded d;
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IWICImagingFactory* factory = nullptr;
  IWICBitmapDecoder* decoder = nullptr;
  IWICBitmapFrameDecode* frame = nullptr;
  IWICFormatConverter* converter = nullptr;
  GUID format{};
  if (SUCCEEDED(CoCreateInstance(factoryId, nullptr, CLSCTX_INPROC_SERVER, factoryIid,
                                 reinterpret_cast<void**>(&factory))) &&
      SUCCEEDED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                   WICDecodeMetadataCacheOnDemand, &decoder)) &&
      SUCCEEDED(decoder->GetContainerFormat(&format)) && format == png &&
      SUCCEEDED(decoder->GetFrame(0, &frame)) &&
      SUCCEEDED(frame->GetSize(&d.width, &d.height)) &&
      SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
      SUCCEEDED(converter->Initialize(frame, bgr32, WICBitmapDitherTypeNone, nullptr, 0,
                                      WICBitmapPaletteTypeCustom))) {
    d.bgra.resize(static_cast<size_t>(d.width) * d.height * 4);
    if (FAILED(converter->CopyPixels(nullptr, d.width * 4, static_cast<UINT>(d.bgra.size()),
                                     d.bgra.data())))
      d.bgra.clear();
  }
  if (converter) converter->Release();
  if (frame) frame->Release();
  if (decoder) decoder->Release();
  if (factory) factory->Release();
  CoUninitialize();
  return d;
}

class Graph : public WineApp {
 protected:
  Graph() { showPageOf("Memo0"); }
  void run(const std::string& command) {
    typeInto("Edit1", command);
    click("btnDO");
  }
  form::Form& model() { return main().form(); }
};

TEST_F(Graph, CtrlGShowsTheFiguresOfEachSampleAndThePictureIsSaved) {
  EXPECT_FALSE(visible("PanelGraph"));
  bool first = true;
  for (const PingSample& s : kPingSamples) {
    run("cmd /c type " + sourcePath(std::string("samples/ping/") + s.file));
    if (first) {
      // Ctrl+G from the keyboard, where the user reads the output.
      ASSERT_TRUE(putFocus(byName("Memo0")));
      keyPress('G', VK_CONTROL);
      pump(300);
      ASSERT_TRUE(visible("PanelGraph"));
      EXPECT_TRUE(visible("PaintGraph"));
      EXPECT_EQ(focusNow(), byName("Memo0"));
      first = false;
    }
    pump(200);
    EXPECT_EQ(text("LblGraph"), s.figures) << s.file;
  }

  // The picture as shown, saved where the user chose, read back.
  const std::string path = folder + "\\graph.png";
  DialogHand hand({DialogHand::chooseFile(path)});
  window->fromUser([&] { model().execute("Act_GraphSave"); });
  hand.finish();
  EXPECT_TRUE(hand.allTaken());
  RECT rc;
  GetClientRect(byName("PaintGraph"), &rc);
  const Decoded png = decodePng(win32::widen(path));
  EXPECT_EQ(png.width, static_cast<UINT>(rc.right));
  EXPECT_EQ(png.height, static_cast<UINT>(rc.bottom));
  EXPECT_GT(png.of(RGB(31, 119, 180)).size(), 20u)
      << "the replies are drawn in the first target's colour";
  EXPECT_TRUE(os.messages.empty());

  // Another command's output has no target; Ctrl+G hides the pane again.
  run("cmd /c echo Request timed out.");
  pump(200);
  EXPECT_EQ(text("LblGraph"), "");
  SetFocus(byName("Memo0"));
  keyPress('G', VK_CONTROL);
  pump(300);
  EXPECT_FALSE(visible("PanelGraph"));
}

// Replies that end with a loss, the picture saved under a name typed
// without an extension, where the user has a file of that name with
// ".png" and another one with ".png.tmp": the dialog asks about replacing
// the first, the second stays as it was, and the picture reads upright,
// the newest loss marked whole at the foot of the drawing's right edge.
TEST_F(Graph, ThePictureIsSavedUprightUnderTheNameTheDialogAskedAbout) {
  window->fromUser([&] { model().execute("Act_Graph"); });
  const std::string reply = " \"Reply from 127.0.0.1: bytes=32 time=5ms TTL=64\"";
  run(eventTool() + " say 250 \"Pinging 127.0.0.1 with 32 bytes of data:\"" + reply + reply +
      reply + " \"Request timed out.\"");
  pump(300);
  const std::string path = folder + "\\graph.png", beside = path + ".tmp";
  ASSERT_TRUE(os.writeFile(path, "the user's picture").ok);
  ASSERT_TRUE(os.writeFile(beside, "the user's notes").ok);
  DialogHand hand({DialogHand::chooseFile(folder + "\\graph"), DialogHand::press(IDYES)});
  window->fromUser([&] { model().execute("Act_GraphSave"); });
  const std::vector<DialogHand::Seen> seen = hand.finish();
  EXPECT_TRUE(hand.allTaken());
  EXPECT_EQ(seen.size(), 2u) << "the dialog, then its question about replacing graph.png";
  EXPECT_TRUE(os.messages.empty());
  std::string notes;
  EXPECT_TRUE(os.readFile(beside, notes).ok);
  EXPECT_EQ(notes, "the user's notes");

  const Decoded png = decodePng(win32::widen(path));
  ASSERT_GT(png.width, 200u);
  ASSERT_GT(png.height, 80u);
  // A timeout's mark: three pixels wide and six high at this scale, the
  // newest one standing on the foot of the drawing at its right edge.
  const std::vector<POINT> red = png.of(RGB(220, 0, 0));
  EXPECT_EQ(red.size(), 18u);
  for (const POINT& p : red) {
    EXPECT_GT(p.x, static_cast<LONG>(png.width * 3 / 4)) << p.x << "," << p.y;
    EXPECT_GT(p.y, static_cast<LONG>(png.height / 2)) << p.x << "," << p.y;
  }
}

TEST_F(Graph, TheAlertShowsWhileRepliesStopAndClearsWhenTheyComeBack) {
  window->fromUser([&] { model().execute("Act_GraphAlert"); });
  std::vector<std::string> seen;
  Ticker t([&] {
    const std::string bar = main()["StatusBar1"].text();
    if (seen.empty() || seen.back() != bar) seen.push_back(bar);
  });
  run(eventTool() + " say 300 \"Pinging 127.0.0.1 with 32 bytes of data:\"" +
      " \"Reply from 127.0.0.1: bytes=32 time<1ms TTL=64\" \"Request timed out.\"" +
      " \"Request timed out.\" \"Request timed out.\" \"Request timed out.\"" +
      " \"Reply from 127.0.0.1: bytes=32 time=2ms TTL=64\"");
  const std::regex down(R"(127\.0\.0\.1: 応答なし \d\d:\d\d:\d\d から  .*)");
  const bool sawDown =
      std::any_of(seen.begin(), seen.end(), [&](const std::string& s) {
        return std::regex_match(s, down);
      });
  EXPECT_TRUE(sawDown) << "the bar said, while it ran: " << ::testing::PrintToString(seen);
  const std::string after = main()["StatusBar1"].text();
  EXPECT_TRUE(std::regex_match(
      after, std::regex(R"(127\.0\.0\.1: 応答が戻りました \d\d:\d\d:\d\d \((\d+)\.\d 秒間応答なし\)  .+)")))
      << after;
  // The next run starts with a bar of its own.
  run("cmd /c echo next");
  EXPECT_EQ(main()["StatusBar1"].text().find("127.0.0.1"), std::string::npos);
}

TEST_F(Graph, CtrlBreakReachesTheCommandsConsoleAndItGoesOn) {
  HWND memo = byName("Memo0");
  const std::string failed = "Ctrl+Break をコマンドに送れませんでした。";
  int stage = 0;
  Ticker t([&] {
    const std::string out = main()["Memo0"].text();
    if (stage == 0 && out.find("ready") != std::string::npos) {
      stage = 1;
      SetForegroundWindow(window->hwnd());
      SetFocus(memo);
      keyPress(VK_CANCEL, VK_CONTROL);
    } else if (stage == 1 && (out.find("CTRL_BREAK_EVENT") != std::string::npos ||
                              !os.messages.empty())) {
      stage = 2;
      PostMessageW(byName("btnCtrl"), BM_CLICK, 0, 0);
    }
  });
  Deadline limit(window->hwnd(), 20000);
  run(eventTool() + " events");
  const std::string out = main()["Memo0"].text();
  EXPECT_FALSE(limit.fired());
  EXPECT_EQ(stage, 2) << out;
  // The command took the break and went on to take Ctrl-C; where the
  // system raises no break event in a console (this Wine), the user is told
  // so instead.
  if (os.messages.empty()) {
    EXPECT_NE(out.find("ready\r\nCTRL_BREAK_EVENT\r\nCTRL_C_EVENT\r\nend"), std::string::npos)
        << out;
  } else {
    EXPECT_EQ(os.messages, std::vector<std::string>{failed});
    EXPECT_NE(out.find("ready\r\nCTRL_C_EVENT\r\nend"), std::string::npos) << out;
  }
}

}  // namespace
}  // namespace velquin::test
