// Every access key of the program as the user meets it: in each menu (a
// window's system menu with the system's own items, the context menus of
// the output view, of the drawings and their submenus) and among the
// controls that each window shows at once, one item or control a key. The
// walk runs with every feature's items present: a traced route and a kept
// run in the output, the graph, the repetition and find shown, the restart
// as administrator offered, the monitor and the about box open.
#include <algorithm>
#include <cwctype>
#include <map>
#include <string>
#include <vector>

#include "wine_app.h"
#include "form/output_doc.h"
#include "monitor/monitor_window.h"
#include "win32/text.h"

namespace velquin::test {
namespace {

struct Item {
  std::string caption;  // "" for a separator
  std::vector<Item> submenu;
};

std::vector<Item> itemsOf(HMENU menu) {
  std::vector<Item> items;
  const int n = GetMenuItemCount(menu);
  for (int i = 0; i < n; ++i) {
    wchar_t text[256] = L"";
    MENUITEMINFOW info{sizeof info};
    info.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 256;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    Item item;
    if (!(info.fType & MFT_SEPARATOR)) item.caption = win32::narrow(text);
    if (info.hSubMenu) item.submenu = itemsOf(info.hSubMenu);
    items.push_back(std::move(item));
  }
  return items;
}

// The access key of a caption, as the system reads it ("&&" is an
// ampersand); "" for none.
std::string keyOf(const std::string& caption) {
  const std::wstring w = win32::widen(caption);
  for (size_t i = 0; i + 1 < w.size(); ++i) {
    if (w[i] != L'&') continue;
    if (w[i + 1] == L'&') {
      ++i;
      continue;
    }
    return win32::narrow(std::wstring(1, static_cast<wchar_t>(towlower(w[i + 1]))));
  }
  return "";
}

// "where: key: first / second" for every key taken twice among the
// captions.
void addClashes(const std::string& where, const std::vector<std::string>& captions,
                std::vector<std::string>& clashes) {
  std::map<std::string, std::string> taken;
  for (const std::string& c : captions) {
    const std::string key = keyOf(c);
    if (key.empty()) continue;
    const auto [at, fresh] = taken.emplace(key, c);
    if (!fresh) clashes.push_back(where + ": " + key + ": " + at->second + " / " + c);
  }
}

void addMenuClashes(const std::string& where, const std::vector<Item>& items,
                    std::vector<std::string>& clashes) {
  std::vector<std::string> captions;
  for (const Item& i : items) {
    captions.push_back(i.caption);
    if (!i.submenu.empty()) addMenuClashes(where + " > " + i.caption, i.submenu, clashes);
  }
  addClashes(where, captions, clashes);
}

// The menu that a window opens for the context-menu key, read while it is
// open and then closed, as a hand that looks at it and presses Esc.
std::vector<Item> readWhileOpen;
void CALLBACK readOpenMenu(HWND, UINT, UINT_PTR, DWORD) {
  HWND popup = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), [](HWND h, LPARAM found) -> BOOL {
    wchar_t cls[16] = L"";
    GetClassNameW(h, cls, 16);
    if (lstrcmpW(cls, L"#32768") || !IsWindowVisible(h)) return TRUE;
    *reinterpret_cast<HWND*>(found) = h;
    return FALSE;
  }, reinterpret_cast<LPARAM>(&popup));
  if (!popup) return;
  readWhileOpen = itemsOf(reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0)));
  EndMenu();
}

std::vector<Item> contextMenuOf(HWND h) {
  readWhileOpen.clear();
  const UINT_PTR timer = SetTimer(nullptr, 0, 100, readOpenMenu);
  SendMessageW(h, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(h), MAKELPARAM(-1, -1));
  KillTimer(nullptr, timer);
  return readWhileOpen;
}

// A caption as read aloud, without its key: "監視(&W)..." is "監視...".
std::string plain(const std::string& caption) {
  std::string out = caption;
  const size_t open = out.find("(&");
  if (open != std::string::npos && open + 3 < out.size() && out[open + 3] == ')')
    out.erase(open, 4);
  std::erase(out, '&');
  return out;
}

// A window's system menu as Windows has it: Wine adds an item of its own
// ("Wine について(&A)") that Windows does not have.
std::vector<Item> systemMenuOf(HWND h) {
  std::vector<Item> items = itemsOf(GetSystemMenu(h, FALSE));
  std::erase_if(items, [](const Item& i) { return i.caption.find("Wine") != std::string::npos; });
  return items;
}

std::vector<std::string> captions(const std::vector<Item>& items) {
  std::vector<std::string> out;
  for (const Item& i : items) out.push_back(plain(i.caption));
  return out;
}

const Item* find(const std::vector<Item>& items, const std::string& caption) {
  for (const Item& i : items)
    if (plain(i.caption) == caption) return &i;
  return nullptr;
}

class AccessKeys : public WineApp {
 protected:
  // The captions with a key of the controls that the window shows now, as
  // its keys reach them: buttons, boxes, labels, group boxes and the items
  // of radio groups.
  static std::vector<std::string> shownKeys(form::Form& f) {
    std::vector<std::string> out;
    for (const auto& c : f.controls()) {
      if (!c->showing() || !c->enabledInTree()) continue;
      switch (c->kind()) {
        case form::Kind::Button:
        case form::Kind::CheckBox:
        case form::Kind::Label:
        case form::Kind::GroupBox:
          out.push_back(c->text());
          break;
        case form::Kind::RadioGroup:
          out.push_back(c->text());
          for (const std::string& item : c->items()) out.push_back(item);
          break;
        default:
          break;
      }
    }
    return out;
  }

  // The main window with each of its pages in front in turn, with the
  // pages that hold it.
  void walkPages(std::vector<std::string>& clashes) {
    form::Form& f = main().form();
    for (const auto& c : f.controls()) {
      if (c->kind() != form::Kind::Page) continue;
      showPageOf(c->name());
      addClashes("frmMain / " + c->name(), shownKeys(f), clashes);
    }
  }
};

TEST_F(AccessKeys, EveryMenuAndEveryWindowGivesEachKeyOnePlace) {
  // Not elevated: the system menu offers the restart as administrator.
  main().FormClose();
  session.reset();
  os.notElevated = true;
  session = std::make_unique<win32::Session>(os);
  program = &session->program();
  window = &session->mainWindow();
  session->show(SW_SHOWNORMAL);
  pump();

  // A traced route in the output, kept by one run of a repetition.
  std::string sample = std::string("Z:") + VELQUIN_TEST_SOURCE + "/samples/tracert/ja-name.txt";
  std::replace(sample.begin(), sample.end(), '/', '\\');
  showPageOf("Memo0");
  typeInto("Edit1", "cmd /c type " + sample);
  window->fromUser([&] { main().form().execute("Act_Repeat"); });
  pump();
  ASSERT_TRUE(visible("PanelRepeat"));
  typeInto("Edit_RepeatSec", "2");
  UserHand hand(window->hwnd(), byName("btnRepeatClose"),
                {{[&] { return statusText().find("次は") != std::string::npos; },
                  [&] { PostMessageW(byName("btnRepeat"), BM_CLICK, 0, 0); }}},
                30000);
  click("btnRepeat");
  pump();
  ASSERT_EQ(hand.taken(), 1u) << statusText();
  // The graph and find shown beside it.
  window->fromUser([&] {
    main().form().execute("Act_Graph");
    main().form().execute("Act_Find");
  });
  pump();
  ASSERT_TRUE(visible("PanelGraph"));
  ASSERT_TRUE(visible("PanelRepeat"));

  std::vector<std::string> clashes;
  // The output view's menu, every feature's item on it.
  const std::vector<Item> view = contextMenuOf(byName("Memo0"));
  for (const char* present : {"すべて選択", "Ctrl+Break を送る", "グラフを表示",
                              "応答がなくなったら知らせる", "繰り返し実行...", "記録を保存...",
                              "等幅フォント", "監視...", "ホップを監視"})
    EXPECT_NE(find(view, present), nullptr) << present;
  addMenuClashes("Memo0", view, clashes);
  // The drawing's menu; in its scale submenu a line sets the automatic
  // scale apart from the fixed ones.
  const std::vector<Item> graph = contextMenuOf(byName("PaintGraph"));
  addMenuClashes("PaintGraph", graph, clashes);
  const Item* scale = find(graph, "縦軸の上限");
  ASSERT_NE(scale, nullptr);
  const std::vector<std::string> tops = captions(scale->submenu);
  EXPECT_EQ(tops, (std::vector<std::string>{"50 ms", "100 ms", "200 ms", "500 ms", "1000 ms",
                                            "", "自動"}));

  // The main window's system menu, the system's items with ours.
  const std::vector<Item> system = systemMenuOf(window->hwnd());
  for (const char* present : {"移動", "監視...", "管理者として再起動"})
    EXPECT_NE(find(system, present), nullptr) << present;
  addMenuClashes("frmMain system menu", system, clashes);
  walkPages(clashes);

  // The monitor window: its controls, its drawing's menu and its system menu.
  window->fromUser([&] { main().form().execute("Act_Monitor"); });
  pump();
  win32::Renderer& monitor = session->monitorWindow();
  ASSERT_TRUE(IsWindowVisible(monitor.hwnd()));
  addMenuClashes("frmMonitor system menu", systemMenuOf(monitor.hwnd()),
                 clashes);
  const std::vector<Item> monitorGraph = contextMenuOf(findByName(monitor.hwnd(), "PaintMonitor"));
  EXPECT_NE(find(monitorGraph, "縦軸の上限"), nullptr);
  addMenuClashes("PaintMonitor", monitorGraph, clashes);
  addClashes("frmMonitor", shownKeys(monitor.model()), clashes);
  SendMessageW(monitor.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
  pump();

  // The connections window: its controls, its table's menu and its system
  // menu.
  window->fromUser([&] { main().form().execute("Act_Connections"); });
  pump();
  win32::Renderer& connections = session->connectionsWindow();
  ASSERT_TRUE(IsWindowVisible(connections.hwnd()));
  addMenuClashes("frmConnections system menu", systemMenuOf(connections.hwnd()), clashes);
  const std::vector<Item> table = contextMenuOf(findByName(connections.hwnd(), "LV_Connections"));
  EXPECT_NE(find(table, "接続を切る"), nullptr);
  addMenuClashes("LV_Connections", table, clashes);
  addClashes("frmConnections", shownKeys(connections.model()), clashes);
  SendMessageW(connections.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
  pump();

  // The about box.
  showPageOf("btnHelp3");
  click("btnHelp3");
  pump();
  win32::Renderer& about = session->aboutWindow();
  ASSERT_TRUE(about.hwnd() && IsWindowVisible(about.hwnd()));
  addMenuClashes("frmAbout system menu", systemMenuOf(about.hwnd()), clashes);
  addClashes("frmAbout", shownKeys(about.model()), clashes);

  EXPECT_TRUE(clashes.empty()) << [&] {
    std::string all;
    for (const std::string& c : clashes) all += c + "\n";
    return all;
  }();
}

}  // namespace
}  // namespace velquin::test
