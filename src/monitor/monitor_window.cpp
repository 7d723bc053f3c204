#include "monitor/monitor_window.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "app/graph_menu.h"
#include "app/settings.h"
#include "app/window_bounds.h"
#include "form/line_times.h"
#include "form/output_doc.h"
#include "form/typed_number.h"
#include "monitor/hosts.h"

namespace velquin::monitor {

using form::Align;
using form::Kind;

namespace {

constexpr const char* kCaption = "監視";
constexpr const char* kStart = "開始(&S)";
constexpr const char* kStop = "停止(&S)";
constexpr const char* kOpenCaption = "監視(&W)...";
constexpr const char* kHopsCaption = "ホップを監視(&H)";
constexpr const char* kBadInterval =
    "間隔には 0.2 から 60 までの秒数を入力してください (例: 1 や 0.5)。";
constexpr const char* kBadTimeout =
    "タイムアウトには 1 から 60000 までのミリ秒数を入力してください。";
constexpr const char* kNoHosts = "監視するホストを 1 行に 1 つずつ入力してください。";
constexpr const char* kBadDown =
    "応答なしとみなす連続失敗には 1 から 100 までの回数を入力してください。";
constexpr const char* kBadUp = "復旧とみなす連続応答には 1 から 100 までの回数を入力してください。";
// Design size of the window, 96-DPI units.
constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr int kGraphHeight = 170;
constexpr int kOutagesHeight = 100;
// Loss within this while colours the notification area's icon.
constexpr long long kRecentLossMs = 60'000;
// While replies pour in, the list and the graph follow at most this often;
// the window's timer wakes at least this often while requests are out, and
// at most this often: the requests due meanwhile go together (with many
// hosts, a handful at a time, still spread over the interval).
constexpr int64_t kShowEveryMs = 250;
constexpr int kPollMs = 50;
constexpr int kWakeMs = 25;

constexpr const char* kBoundsValue = "monitor.bounds";
constexpr const char* kModeValue = "monitor.mode";
constexpr const char* kHostsValue = "monitor.hosts";
constexpr const char* kIntervalValue = "monitor.interval";
constexpr const char* kTimeoutValue = "monitor.timeout";
constexpr const char* kRangeValue = "monitor.range";
constexpr const char* kTopValue = "monitor.top";
constexpr const char* kDownValue = "monitor.down";
constexpr const char* kUpValue = "monitor.up";
constexpr const char* kNotifyValue = "monitor.notify";
constexpr const char* kKeepValue = "monitor.keep";
constexpr const char* kOutagesValue = "monitor.outages";
constexpr const char* kLogValue = "monitor.log";
constexpr const char* kLogFolderValue = "monitor.logFolder";

std::vector<form::ListDoc::Column> listColumns() {
  const int widths[kColumnCount] = {32, 128, 48, 40, 40, 40, 44, 40, 40, 60, 104, 40};
  std::vector<form::ListDoc::Column> out;
  for (int c = 0; c < kColumnCount; ++c)
    out.push_back({kColumns[c], widths[c], c != 1 && c != kStateColumn});
  return out;
}

std::vector<form::ListDoc::Column> outageColumns() {
  const int widths[kOutageColumnCount] = {120, 130, 130, 120, 90};
  std::vector<form::ListDoc::Column> out;
  for (int c = 0; c < kOutageColumnCount; ++c)
    out.push_back({kOutageColumns[c], widths[c], c == kOutageColumnCount - 1});
  return out;
}

// "<name>-障害.csv" beside "<name>.csv".
std::string outagesPath(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  const size_t dot = path.rfind('.');
  const bool ext = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (ext ? path.substr(0, dot) : path) + "-障害.csv";
}

}  // namespace

std::string csvText(const Monitor& m, const std::vector<size_t>& rows) {
  const std::vector<State> states = rowStates(m);
  std::string text = "\xEF\xBB\xBF";
  for (int c = 0; c < kColumnCount; ++c) text += std::string(c ? "," : "") + csvField(kColumns[c]);
  text += "\r\n";
  for (size_t i : rows) {
    if (i >= m.rowCount()) continue;
    const std::vector<std::string> cells = rowCells(m.row(i), states[i], m.outages().count(i));
    for (size_t c = 0; c < cells.size(); ++c) text += (c ? "," : "") + csvField(cells[c]);
    text += "\r\n";
  }
  return text;
}

struct TfrmMonitor::Controls {
  form::Control& RG_MonitorMode;
  form::Control& Memo_Hosts;
  form::Control& Edit_MonitorSec;
  form::Control& Edit_MonitorTimeout;
  form::Control& btnMonitor;
  form::Control& LV_Monitor;
  form::Control& CB_MonitorRange;
  form::Control& PaintMonitor;
  form::Control& Edit_MonitorDown;
  form::Control& Edit_MonitorUp;
  form::Control& CB_MonitorNotify;
  form::Control& CB_MonitorKeep;
  form::Control& CB_MonitorOutages;
  form::Control& PanelMonitorOutages;
  form::Control& LV_Outages;
  form::Control& CB_MonitorLog;
  form::Control& LblMonitorLog;
};

TfrmMonitor::TfrmMonitor(platform::Platform& os)
    : os_(os),
      form_("frmMonitor"),
      monitor_(os),
      list_(*this, listColumns(), 110, 1),
      graph_(*this),
      outageList_(outageTable_, outageColumns(), 0) {
  declare();
}

TfrmMonitor::~TfrmMonitor() {
  c_->LV_Monitor.setList(nullptr);
  c_->LV_Outages.setList(nullptr);
  c_->PaintMonitor.setGraph(nullptr);
  monitor_.stop();
  os_.removeTrayIcon();
  retireNames();
}

void TfrmMonitor::declare() {
  form::Form& f = form_;
  f.setCaption(kCaption);
  const int dpi = os_.screenDpi();
  f.setWindowBounds({0, 0, kWidth * dpi / 96, kHeight * dpi / 96});

  f.add({.name = "PanelMonitorTop", .kind = Kind::Panel, .bounds = {0, 0, 0, 136},
         .style = {.align = Align::Top, .bevel = false}});
  f.add({.name = "RG_MonitorMode", .kind = Kind::RadioGroup, .parent = "PanelMonitorTop",
         .text = "方式(&W)", .bounds = {8, 4, 96, 76}, .items = {"ホスト", "経路"},
         .itemIndex = 0});
  f.add({.name = "LblMonitorHosts", .kind = Kind::Label, .parent = "PanelMonitorTop",
         .text = "ホスト(&O):", .bounds = {114, 6, 80, 14},
         .style = {.focusControl = "Memo_Hosts"}});
  f.add({.name = "Memo_Hosts", .kind = Kind::Memo, .parent = "PanelMonitorTop",
         .bounds = {114, 22, 220, 58}, .style = {.scrollBars = form::ScrollBars::Vertical},
         .hint = "1 行に 1 つ: 名前、アドレス、192.168.1.1-254、192.168.1.0/24。"
                 "末尾に :ポート で TCP 接続を監視 (www.example.jp:443、[2001:db8::1]:22)"});
  f.add({.name = "LblMonitorSec", .kind = Kind::Label, .parent = "PanelMonitorTop",
         .text = "間隔 (秒)(&I):", .bounds = {346, 8, 112, 14},
         .style = {.focusControl = "Edit_MonitorSec"}});
  f.add({.name = "Edit_MonitorSec", .kind = Kind::Edit, .parent = "PanelMonitorTop",
         .text = "1", .bounds = {462, 4, 52, 20}, .hint = "0.2 から 60 秒"});
  f.add({.name = "LblMonitorTimeout", .kind = Kind::Label, .parent = "PanelMonitorTop",
         .text = "タイムアウト (ms)(&T):", .bounds = {346, 34, 112, 14},
         .style = {.focusControl = "Edit_MonitorTimeout"}});
  f.add({.name = "Edit_MonitorTimeout", .kind = Kind::Edit, .parent = "PanelMonitorTop",
         .text = "1000", .bounds = {462, 30, 52, 20}});
  f.add({.name = "btnMonitor", .kind = Kind::Button, .parent = "PanelMonitorTop",
         .text = kStart, .bounds = {526, 4, 120, 25},
         .onClick = [this] { btnMonitorClick(); }});
  f.add({.name = "btnMonitorCsv", .kind = Kind::Button, .parent = "PanelMonitorTop",
         .text = "CSV で保存(&V)...", .bounds = {526, 32, 120, 25},
         .onClick = [this] { saveCsv(); }});
  f.add({.name = "btnMonitorPicture", .kind = Kind::Button, .parent = "PanelMonitorTop",
         .text = "画像として保存(&P)...", .bounds = {526, 58, 120, 25},
         .action = "Act_GraphSave"});
  // When a host counts as down and as back (after the timeout in the Tab
  // order), and what the user is told.
  f.add({.name = "LblMonitorDown", .kind = Kind::Label, .parent = "PanelMonitorTop",
         .text = "応答なしとみなす連続失敗(&D):", .bounds = {8, 90, 172, 14},
         .style = {.focusControl = "Edit_MonitorDown"}});
  f.add({.name = "Edit_MonitorDown", .kind = Kind::Edit, .parent = "PanelMonitorTop",
         .before = "btnMonitor",
         .text = "3", .bounds = {184, 86, 40, 20}, .hint = "1 から 100 回"});
  f.add({.name = "LblMonitorUp", .kind = Kind::Label, .parent = "PanelMonitorTop",
         .text = "復旧とみなす連続応答(&U):", .bounds = {240, 90, 150, 14},
         .style = {.focusControl = "Edit_MonitorUp"}});
  f.add({.name = "Edit_MonitorUp", .kind = Kind::Edit, .parent = "PanelMonitorTop",
         .before = "btnMonitor",
         .text = "1", .bounds = {394, 86, 40, 20}, .hint = "1 から 100 回"});
  f.add({.name = "CB_MonitorNotify", .kind = Kind::CheckBox, .parent = "PanelMonitorTop",
         .text = "知らせる(&N)", .bounds = {450, 87, 96, 18}, .checked = true});
  f.add({.name = "CB_MonitorKeep", .kind = Kind::CheckBox, .parent = "PanelMonitorTop",
         .text = "閉じても監視を続ける(&K)", .bounds = {550, 87, 190, 18}});
  f.add({.name = "CB_MonitorOutages", .kind = Kind::CheckBox, .parent = "PanelMonitorTop",
         .text = "障害の一覧(&L)", .bounds = {8, 112, 130, 18},
         .onClick = [this] { CB_MonitorOutagesClick(); }});
  f.add({.name = "CB_MonitorLog", .kind = Kind::CheckBox, .parent = "PanelMonitorTop",
         .text = "記録する(&G)", .bounds = {150, 112, 96, 18}});
  f.add({.name = "btnMonitorLogFolder", .kind = Kind::Button, .parent = "PanelMonitorTop",
         .text = "記録先(&F)...", .bounds = {250, 109, 96, 24},
         .onClick = [this] { btnMonitorLogFolderClick(); }});
  f.add({.name = "LblMonitorLog", .kind = Kind::Label, .parent = "PanelMonitorTop",
         .bounds = {358, 114, 390, 14}, .visible = false});

  f.add({.name = "PanelMonitorGraph", .kind = Kind::Panel, .bounds = {0, 0, 0, kGraphHeight},
         .style = {.align = Align::Bottom, .bevel = false}});
  f.add({.name = "PanelMonitorGraphBar", .kind = Kind::Panel, .parent = "PanelMonitorGraph",
         .bounds = {0, 0, 0, 26}, .style = {.align = Align::Top, .bevel = false}});
  f.add({.name = "LblMonitorRange", .kind = Kind::Label, .parent = "PanelMonitorGraphBar",
         .text = "表示範囲(&R):", .bounds = {8, 6, 72, 14},
         .style = {.focusControl = "CB_MonitorRange"}});
  f.add({.name = "CB_MonitorRange", .kind = Kind::ComboBox, .parent = "PanelMonitorGraphBar",
         .bounds = {84, 2, 90, 20}, .style = {.comboStyle = form::ComboStyle::DropDownList},
         .items = app::graphRangeItems(), .itemIndex = 0,
         .onChange = [this] { CB_MonitorRangeChange(); }});
  f.add({.name = "LblMonitorGraph", .kind = Kind::Label, .parent = "PanelMonitorGraphBar",
         .text = "一覧で選んだ行のグラフ", .bounds = {186, 6, 300, 14}});
  f.add({.name = "PaintMonitor", .kind = Kind::Graph, .parent = "PanelMonitorGraph",
         .style = {.align = Align::Client}});
  // Between the settings and the graph in the Tab order.
  f.add({.name = "LV_Monitor", .kind = Kind::List, .before = "PanelMonitorGraph",
         .style = {.align = Align::Client}});
  // Under the hosts' list, above the graph (docked after it), shown when
  // asked for.
  f.add({.name = "PanelMonitorOutages", .kind = Kind::Panel,
         .bounds = {0, 0, 0, kOutagesHeight}, .style = {.align = Align::Bottom, .bevel = false},
         .visible = false});
  f.add({.name = "LV_Outages", .kind = Kind::List, .parent = "PanelMonitorOutages",
         .style = {.align = Align::Client}});

  f.addAction({"Act_MonitorSelectAll", "監視", "すべて選択(&A)", [this] { selectAll(); }});
  f.addAction({"Act_MonitorCopy", "監視", "コピー(&C)", [this] { copy(); }});
  f.addAction({"Act_MonitorEnter", "監視", "", [this] { start(); }});
  f.addShortcut("Ctrl+A", "LV_Monitor", "Act_MonitorSelectAll");
  f.addShortcut("Ctrl+C", "LV_Monitor", "Act_MonitorCopy");
  f.addAction({"Act_OutagesSelectAll", "監視", "すべて選択(&A)", [this] { outagesSelectAll(); }});
  f.addAction({"Act_OutagesCopy", "監視", "コピー(&C)", [this] { outagesCopy(); }});
  f.addShortcut("Ctrl+A", "LV_Outages", "Act_OutagesSelectAll");
  f.addShortcut("Ctrl+C", "LV_Outages", "Act_OutagesCopy");
  // Enter in a field starts with what the fields now hold.
  f.addShortcut("Enter", "Edit_MonitorSec", "Act_MonitorEnter");
  f.addShortcut("Enter", "Edit_MonitorTimeout", "Act_MonitorEnter");
  f.addShortcut("Enter", "Edit_MonitorDown", "Act_MonitorEnter");
  f.addShortcut("Enter", "Edit_MonitorUp", "Act_MonitorEnter");
  app::addGraphMenu(f, graph_, os_, "monitor.png");
  f.onTimer = [this] { tick(); };

  c_.reset(new Controls{f["RG_MonitorMode"], f["Memo_Hosts"], f["Edit_MonitorSec"],
                        f["Edit_MonitorTimeout"], f["btnMonitor"], f["LV_Monitor"],
                        f["CB_MonitorRange"], f["PaintMonitor"], f["Edit_MonitorDown"],
                        f["Edit_MonitorUp"], f["CB_MonitorNotify"], f["CB_MonitorKeep"],
                        f["CB_MonitorOutages"], f["PanelMonitorOutages"], f["LV_Outages"],
                        f["CB_MonitorLog"], f["LblMonitorLog"]});
  startFolder_ = os_.currentFolder();
  monitor_.onResult = [this](size_t row, long long time, int32_t value) {
    log_.result(row, time, value);
  };
  c_->LV_Monitor.setList(&list_);
  c_->LV_Outages.setList(&outageList_);
  c_->PaintMonitor.setGraph(&graph_);
  graph_.setSpan(app::kGraphSpans[0]);
  list_.onHeaderClick = [this](int column) {
    sort_.click(column);
    reorder();
  };
  list_.onSelect = [this] { listSelected(); };
  f.setFocus(c_->Memo_Hosts);
}

void TfrmMonitor::open(const form::Rect& owner) { app::showOver(form_, owner, placed_); }

void TfrmMonitor::showWindow() {
  if (!form_.windowVisible()) form_.setWindowVisible(true);
  form_.bringToFront();
}

void TfrmMonitor::watchRoute(const std::string& host, const form::Rect& owner) {
  stop();
  c_->Memo_Hosts.setText(host);
  c_->RG_MonitorMode.setItemIndex(1);
  open(owner);
  form_.setFocus(c_->btnMonitor);
}

void TfrmMonitor::btnMonitorClick() {
  if (monitor_.running())
    stop();
  else
    start();
}

bool TfrmMonitor::readInterval(int& ms) {
  const std::optional<int64_t> v = form::thousandths(c_->Edit_MonitorSec.text());
  if (!v || *v < 200 || *v > 60'000) {
    os_.showMessage(kBadInterval);
    form_.setFocus(c_->Edit_MonitorSec);
    return false;
  }
  ms = static_cast<int>(*v);
  return true;
}

bool TfrmMonitor::readTimeout(int& ms) {
  const std::optional<int64_t> v = form::thousandths(c_->Edit_MonitorTimeout.text());
  if (!v || *v % 1000 != 0 || *v < 1000 || *v > 60'000'000) {
    os_.showMessage(kBadTimeout);
    form_.setFocus(c_->Edit_MonitorTimeout);
    return false;
  }
  ms = static_cast<int>(*v / 1000);
  return true;
}

bool TfrmMonitor::readThreshold(form::Control& field, const char* message, int& count) {
  const std::string& t = field.text();
  const bool digits = !t.empty() && t.size() <= 3 &&
                      std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
  count = digits ? std::stoi(t) : 0;
  if (count < kThresholdMin || count > kThresholdMax) {
    os_.showMessage(message);
    form_.setFocus(field);
    return false;
  }
  return true;
}

void TfrmMonitor::start() {
  // A route has no port: in "経路" a line with one is refused.
  const bool route = c_->RG_MonitorMode.itemIndex() == 1;
  const HostList hosts = readHosts(c_->Memo_Hosts.text(), !route);
  if (!hosts.error.empty() || hosts.hosts.empty()) {
    os_.showMessage(hosts.error.empty() ? kNoHosts : hosts.error);
    form_.setFocus(c_->Memo_Hosts);
    return;
  }
  Options options;
  if (!readInterval(options.intervalMs) || !readTimeout(options.timeoutMs) ||
      !readThreshold(c_->Edit_MonitorDown, kBadDown, options.thresholds.down) ||
      !readThreshold(c_->Edit_MonitorUp, kBadUp, options.thresholds.up))
    return;
  options.mode = route ? Mode::Route : Mode::Hosts;
  retireNames();
  // Addresses are known at once; names are looked up off the window's
  // thread (a name server may keep them waiting), their rows filled when
  // they come.
  const size_t count = options.mode == Mode::Route ? 1 : hosts.hosts.size();
  std::vector<std::optional<std::string>> addresses;
  std::vector<std::pair<size_t, std::string>> names;
  for (size_t i = 0; i < count; ++i) {
    const std::string h = splitPort(hosts.hosts[i]).host;
    if (isIpv4(h) || isIpv6(h)) {
      addresses.push_back(os_.resolveHost(h));
    } else {
      addresses.push_back(std::nullopt);
      names.emplace_back(i, h);
    }
  }
  shownSeries_.clear();
  monitor_.start(hosts.hosts, addresses, options);
  if (!names.empty()) {
    auto shared = std::make_shared<Names>();
    names_ = shared;
    std::thread([shared, lookup = os_.hostLookup(), names] {
      for (const auto& [row, host] : names) {
        {
          std::lock_guard<std::mutex> hold(shared->lock);
          if (shared->cancel) break;
        }
        const std::string address = lookup(host);
        std::lock_guard<std::mutex> hold(shared->lock);
        shared->done.emplace_back(row, address);
      }
      std::lock_guard<std::mutex> hold(shared->lock);
      shared->finished = true;
      shared->over.notify_all();
    }).detach();
  }
  if (c_->CB_MonitorLog.checked() && options.mode == Mode::Hosts) {
    LogSettings settings{c_->Memo_Hosts.text(), "ホスト", c_->Edit_MonitorSec.text(),
                         c_->Edit_MonitorTimeout.text(), options.thresholds};
    // A folder that cannot be made is told by the first tick, once the
    // icon shows.
    log_.begin(logRoot(), os_.localTimeMs(), settings, hosts.hosts);
  }
  list_.select({});
  outageList_.select({});
  notices_.clear();
  order_.clear();
  showButton();
  show();
  // The first requests go at once.
  tick();
}

void TfrmMonitor::stop() {
  monitor_.stop();
  log_.end();
  notices_.clear();
  retireNames();
  showButton();
  show();
  form_.requestTimer(-1);
}

void TfrmMonitor::FormClose() {
  // Left running, the monitor goes on behind its icon.
  if (monitor_.running() && c_->CB_MonitorKeep.checked()) {
    form_.setWindowVisible(false);
    return;
  }
  stop();
  form_.setWindowVisible(false);
}

void TfrmMonitor::retireNames() {
  if (names_) {
    std::lock_guard<std::mutex> hold(names_->lock);
    names_->cancel = true;
  }
  names_.reset();
}

void TfrmMonitor::takeNames() {
  if (!names_) return;
  std::vector<std::pair<size_t, std::string>> done;
  {
    std::lock_guard<std::mutex> hold(names_->lock);
    done.swap(names_->done);
  }
  for (const auto& [row, address] : done) monitor_.resolved(row, address);
  if (!done.empty()) dirty_ = true;
}

void TfrmMonitor::awaitNames() {
  if (names_) {
    std::unique_lock<std::mutex> hold(names_->lock);
    names_->over.wait(hold, [this] { return names_->finished; });
  }
  takeNames();
  names_.reset();
  tick();
}

void TfrmMonitor::tick() {
  takeNames();
  if (monitor_.tick()) dirty_ = true;
  const int64_t now = os_.steadyMs();
  if (dirty_ && (shownAt_ < 0 || now - shownAt_ >= kShowEveryMs)) show();
  log_.tick(os_.localTimeMs());
  tell();
  showLogError();
  schedule();
}

void TfrmMonitor::schedule() {
  if (!monitor_.running() && monitor_.outstanding() == 0) {
    if (dirty_) show();
    form_.requestTimer(-1);
    return;
  }
  int64_t wait = kPollMs;
  const int64_t due = monitor_.nextDueMs();
  if (due >= 0) wait = std::max<int64_t>(std::min(wait, due), kWakeMs);
  const int64_t notice = notices_.dueMs(os_.steadyMs());
  if (notice >= 0) wait = std::min(wait, notice);
  form_.requestTimer(static_cast<int>(wait));
}

void TfrmMonitor::showButton() {
  c_->btnMonitor.setText(monitor_.running() ? kStop : kStart);
}

void TfrmMonitor::show() {
  // The monitor ends by itself when no name of its list resolved.
  showButton();
  states_ = rowStates(monitor_);
  if (order_.size() != monitor_.rowCount()) reorder();
  // Only the rows whose figures changed are drawn again: with hundreds of
  // hosts, each row changes once an interval while the list is shown
  // several times a second.
  std::vector<size_t> changed;
  shown_.resize(order_.size());
  for (size_t place = 0; place < order_.size(); ++place) {
    const size_t row = order_[place];
    const Row& r = monitor_.row(row);
    const Shown now{r.series.sent(), states_[row], !r.address.empty()};
    if (shown_[row] == now && !reordered_) continue;
    shown_[row] = now;
    changed.push_back(place);
  }
  if (reordered_) list_.changed();
  else list_.changed(std::move(changed));
  reordered_ = false;
  if (!shownSeries_.empty()) graph_.changed();
  // The outages: new ones at the top, those that last counted on.
  const std::vector<OutageRecord>& outages = monitor_.outages().list();
  outageTable_.setNow(os_.localTimeMs());
  if (outages.size() != outagesShown_) {
    std::vector<size_t> selected;
    if (outages.size() > outagesShown_)
      for (size_t place : outageList_.selection())
        selected.push_back(place + outages.size() - outagesShown_);
    outagesShown_ = outages.size();
    outageList_.changed();
    outageList_.select(selected);
  } else if (monitor_.outages().downCount() > 0) {
    outageList_.changed();
  }
  showTray();
  dirty_ = false;
  shownAt_ = os_.steadyMs();
}

void TfrmMonitor::tell() {
  const int64_t now = os_.steadyMs();
  const std::vector<OutageEvent> events = monitor_.outages().takeEvents();
  if (!events.empty()) {
    for (const OutageEvent& e : events) log_.event(monitor_.outages().list()[e.outage], e.kind);
    notices_.add(events, now, monitor_.outages());
    show();
  }
  const std::string text = notices_.take(monitor_.outages(), now);
  if (text.empty() || !c_->CB_MonitorNotify.checked()) return;
  os_.trayBalloon(text);
  os_.alertUser();
}

// While the monitor runs, its icon in the notification area: red with a
// host down, yellow with loss in the last minute, green otherwise.
void TfrmMonitor::showTray() {
  using Level = platform::Platform::TrayLevel;
  if (!monitor_.running()) {
    if (!trayTip_.empty()) os_.removeTrayIcon();
    trayTip_.clear();
    return;
  }
  const Outages& o = monitor_.outages();
  const Level level = o.downCount() > 0                                  ? Level::Down
                      : o.lostSince(os_.localTimeMs() - kRecentLossMs) ? Level::Loss
                                                                        : Level::Fine;
  const std::string tip = "Velquin 監視: " + std::to_string(monitor_.rowCount()) + " 台、応答なし " +
                          std::to_string(o.downCount()) + " 台";
  if (level == trayLevel_ && tip == trayTip_) return;
  platform::Platform::TrayIcon icon;
  icon.level = level;
  icon.tip = tip;
  icon.onClick = [this] { showWindow(); };
  icon.menu = {{"監視を表示(&S)", [this] { showWindow(); }}, {"停止(&T)", [this] { stop(); }}};
  // Refused, it is asked for again at the next change.
  if (!os_.showTrayIcon(icon)) return;
  trayLevel_ = level;
  trayTip_ = tip;
}

// A sort is made when the header is clicked, and again when rows come or
// go: the rows do not move under the user's eyes as their figures change.
void TfrmMonitor::reorder() {
  std::vector<size_t> selected;
  for (size_t place : list_.selection())
    if (place < order_.size()) selected.push_back(order_[place]);
  states_ = rowStates(monitor_);
  order_ = sort_.order(monitor_);
  reordered_ = true;
  std::vector<size_t> places;
  for (size_t place = 0; place < order_.size(); ++place)
    if (std::find(selected.begin(), selected.end(), order_[place]) != selected.end())
      places.push_back(place);
  list_.setSortMark(sort_.column(), sort_.descending());
  list_.select(places);
  listSelected();
}

void TfrmMonitor::listSelected() {
  std::vector<size_t> rows;
  for (size_t place : list_.selection())
    if (place < order_.size()) rows.push_back(order_[place]);
  if (rows == shownSeries_) return;
  shownSeries_ = rows;
  graph_.changed();
}

void TfrmMonitor::selectAll() {
  list_.selectAll();
  listSelected();
}

void TfrmMonitor::copy() {
  std::vector<size_t> rows;
  for (size_t place : list_.selection())
    if (place < order_.size()) rows.push_back(order_[place]);
  if (rows.empty()) return;
  if (!list_.copyText || !list_.copyText(copyText(monitor_, rows)))
    os_.showMessage("クリップボードにコピーできませんでした。");
}

void TfrmMonitor::showLogError() {
  const std::string error = log_.active() ? log_.error() : "";
  if (error == logError_) return;
  const bool began = logError_.empty();
  logError_ = error;
  c_->LblMonitorLog.setText(error.empty() ? "" : "記録できません: " + error);
  c_->LblMonitorLog.setVisible(!error.empty());
  // Told once when it begins; the label says the rest.
  if (!began || error.empty() || !c_->CB_MonitorNotify.checked()) return;
  os_.trayBalloon("監視: 記録できません: " + error);
  os_.alertUser();
}

std::string TfrmMonitor::logRoot() const {
  return logFolder_.empty() ? startFolder_ + "\\Data\\監視" : logFolder_;
}

void TfrmMonitor::btnMonitorLogFolderClick() {
  std::string folder = logRoot();
  if (os_.chooseFolder("記録先のフォルダー", folder, form_.name())) logFolder_ = folder;
}

void TfrmMonitor::CB_MonitorOutagesClick() {
  c_->PanelMonitorOutages.setVisible(c_->CB_MonitorOutages.checked());
}

void TfrmMonitor::outagesSelectAll() { outageList_.selectAll(); }

void TfrmMonitor::outagesCopy() {
  const std::vector<size_t> places = outageList_.selection();
  if (places.empty()) return;
  if (!outageList_.copyText || !outageList_.copyText(outageText(outageTable_, places, false)))
    os_.showMessage("クリップボードにコピーできませんでした。");
}

void TfrmMonitor::saveCsv() {
  platform::FileDialog d;
  d.filter = "CSV ファイル (*.csv)|*.csv";
  d.fileName = "monitor.csv";
  d.askBeforeReplace = true;
  d.defaultExtension = "csv";
  if (!os_.saveDialog(d)) return;
  const std::string& path = d.fileName;
  const platform::IoResult r = os_.writeFile(path, csvText(monitor_, order_));
  if (!r.ok) {
    os_.showMessage("CSV ファイルを保存できませんでした: " + path + "\r\n" + r.message);
    return;
  }
  // The outages beside the rows.
  std::vector<size_t> places(outageTable_.rowCount());
  for (size_t i = 0; i < places.size(); ++i) places[i] = i;
  const std::string second = outagesPath(path);
  const platform::IoResult o = os_.writeFile(second, outageText(outageTable_, places, true));
  if (!o.ok) os_.showMessage("CSV ファイルを保存できませんでした: " + second + "\r\n" + o.message);
}

void TfrmMonitor::CB_MonitorRangeChange() {
  const int i = c_->CB_MonitorRange.itemIndex();
  if (i >= 0 && i < static_cast<int>(std::size(app::kGraphSpans)))
    graph_.setSpan(app::kGraphSpans[i]);
}

std::string TfrmMonitor::cell(size_t row, int column) const {
  if (row >= order_.size() || order_[row] >= monitor_.rowCount()) return "";
  const size_t r = order_[row];
  const State s = r < states_.size() ? states_[r] : State::None;
  const std::vector<std::string> cells = rowCells(monitor_.row(r), s, monitor_.outages().count(r));
  return column >= 0 && column < static_cast<int>(cells.size()) ? cells[column] : "";
}

int TfrmMonitor::cellColor(size_t row, int column) const {
  if (column != kStateColumn || row >= order_.size() || order_[row] >= states_.size())
    return -1;
  switch (states_[order_[row]]) {
    case State::NoAnswer:
      // A host down is the news; a hop that never answers is not.
      if (monitor_.options().mode == Mode::Hosts) return 0xC00000;
      return 0x808080;
    case State::Limited: return 0x808080;
    case State::Loss:
    case State::Unresolved: return 0xC00000;
    case State::Refused: return kRefusedColor;
    default: return -1;
  }
}

void TfrmMonitor::recent(size_t row, std::vector<int32_t>& out) const {
  out.clear();
  if (row >= order_.size() || order_[row] >= monitor_.rowCount()) return;
  const RowHistory& s = monitor_.row(order_[row]).series;
  const size_t n = s.size();
  for (size_t i = n > kRecentShown ? n - kRecentShown : 0; i < n; ++i) out.push_back(s.value(i));
}

std::string TfrmMonitor::describe(size_t s, size_t i) const {
  const RowHistory& t = series(s);
  const int32_t v = t.value(i);
  const std::string text = form::LineTimes::format(t.time(i)) + "  " +
                           monitor_.row(shownSeries_[s]).host + "  ";
  return text + (v >= 0 ? std::to_string(v) + " ms" : reading::lostText(v));
}

form::GraphSource::Summary TfrmMonitor::summary(size_t s, size_t i) const {
  const RowHistory& t = series(s);
  const MinuteSummary& m = t.summary(i);
  return {t.summaryFrom(i), RowHistory::kMinuteMs, m.sent, m.received, m.low, m.high, m.sum,
          m.lost};
}

// "09:15-09:16  host  送信 60  受信 58  最小 1 ms  平均 2.3 ms  最大 9 ms"
std::string TfrmMonitor::describeSummary(size_t s, size_t i) const {
  const RowHistory& t = series(s);
  const MinuteSummary& m = t.summary(i);
  const long long from = t.summaryFrom(i);
  std::string text = form::LineTimes::format(from).substr(0, 5) + "-" +
                     form::LineTimes::format(from + RowHistory::kMinuteMs).substr(0, 5) + "  " +
                     monitor_.row(shownSeries_[s]).host;
  text += "  送信 " + std::to_string(m.sent) + "  受信 " + std::to_string(m.received);
  if (m.received == 0) return text;
  text += "  最小 " + std::to_string(m.low) + " ms";
  text += "  平均 " + reading::ratioTenths(m.sum, m.received) + " ms";
  return text + "  最大 " + std::to_string(m.high) + " ms";
}

void TfrmMonitor::readState(const app::UserState& s) {
  c_->Memo_Hosts.setText(s.value(kHostsValue, ""));
  c_->RG_MonitorMode.setItemIndex(s.value(kModeValue, "0") == "1" ? 1 : 0);
  const std::string interval = s.value(kIntervalValue, "");
  if (!interval.empty()) c_->Edit_MonitorSec.setText(interval);
  const std::string timeout = s.value(kTimeoutValue, "");
  if (!timeout.empty()) c_->Edit_MonitorTimeout.setText(timeout);
  const int range = std::atoi(s.value(kRangeValue, "0").c_str());
  if (range >= 0 && range < static_cast<int>(std::size(app::kGraphSpans))) {
    c_->CB_MonitorRange.setItemIndex(range);
    graph_.setSpan(app::kGraphSpans[range]);
  }
  for (auto [field, name] : {std::pair{&c_->Edit_MonitorDown, kDownValue},
                              std::pair{&c_->Edit_MonitorUp, kUpValue}}) {
    const std::string count = s.value(name, "");
    if (!count.empty()) field->setText(count);
  }
  c_->CB_MonitorNotify.setChecked(s.flag(kNotifyValue, true));
  c_->CB_MonitorKeep.setChecked(s.flag(kKeepValue, false));
  c_->CB_MonitorOutages.setChecked(s.flag(kOutagesValue, false));
  c_->CB_MonitorLog.setChecked(s.flag(kLogValue, false));
  logFolder_ = s.value(kLogFolderValue, "");
  CB_MonitorOutagesClick();
  const int top = std::atoi(s.value(kTopValue, "0").c_str());
  if (std::find(std::begin(app::kGraphTops), std::end(app::kGraphTops), top) !=
      std::end(app::kGraphTops))
    graph_.setFixedTop(top);
  // The bounds as stored (96-DPI units), kept only where a screen shows
  // the window's top left corner.
  if (const auto b = app::storedBounds(s, kBoundsValue, os_)) {
    form_.setWindowBounds(*b);
    placed_ = true;
  }
}

void TfrmMonitor::writeState(app::UserState& s) const {
  s.setValue(kHostsValue, c_->Memo_Hosts.text());
  s.setValue(kModeValue, std::to_string(std::max(c_->RG_MonitorMode.itemIndex(), 0)));
  s.setValue(kIntervalValue, c_->Edit_MonitorSec.text());
  s.setValue(kTimeoutValue, c_->Edit_MonitorTimeout.text());
  s.setValue(kRangeValue, std::to_string(c_->CB_MonitorRange.itemIndex()));
  s.setValue(kTopValue, std::to_string(graph_.fixedTop()));
  s.setValue(kDownValue, c_->Edit_MonitorDown.text());
  s.setValue(kUpValue, c_->Edit_MonitorUp.text());
  s.setFlag(kNotifyValue, c_->CB_MonitorNotify.checked());
  s.setFlag(kKeepValue, c_->CB_MonitorKeep.checked());
  s.setFlag(kOutagesValue, c_->CB_MonitorOutages.checked());
  s.setFlag(kLogValue, c_->CB_MonitorLog.checked());
  s.setValue(kLogFolderValue, logFolder_);
  if (placed_) app::storeBounds(s, kBoundsValue, form_.windowBounds(), os_);
}

void TfrmMonitor::addHost(const std::string& host, const form::Rect& owner) {
  std::string text = c_->Memo_Hosts.text();
  const HostList list = readHosts(text);
  if (std::find(list.hosts.begin(), list.hosts.end(), host) == list.hosts.end()) {
    if (!text.empty() && text.back() != '\n') text += "\r\n";
    c_->Memo_Hosts.setText(text + host);
  }
  if (!monitor_.running()) c_->RG_MonitorMode.setItemIndex(0);
  open(owner);
}

MonitorCommands::MonitorCommands(app::TfrmMain& main, TfrmMonitor& window)
    : main_(main), window_(window) {
  form::Form& f = main_.form();
  f.addAction({"Act_Monitor", "監視", kOpenCaption, [this] { Act_MonitorExecute(); }});
  f.addAction({"Act_MonitorHops", "監視", kHopsCaption, [this] { Act_MonitorHopsExecute(); }});
  // Anywhere in the main window.
  for (form::Control* root : f.roots()) f.addShortcut("Ctrl+M", root->name(), "Act_Monitor");
  f.addWindowCommand({kOpenCaption, [this] { Act_MonitorExecute(); }});
  form::OutputDoc& doc = *main_["Memo0"].outputDoc();
  doc.addMenuItem({.caption = kOpenCaption, .action = "Act_Monitor", .separatorBefore = true});
  doc.addMenuItem({.caption = kHopsCaption, .action = "Act_MonitorHops",
                   .shown = [this] { return tracertShown(); }});
}

void MonitorCommands::formShown() { window_.readState(main_.state()); }

void MonitorCommands::formClosing() {
  window_.stop();
  window_.writeState(main_.state());
}

void MonitorCommands::Act_MonitorExecute() { window_.open(main_.form().windowBounds()); }

const reading::TracedHost& MonitorCommands::traced() {
  const form::OutputDoc& doc = *main_["Memo0"].outputDoc();
  return tracert_.follow(doc.text(), doc.times());
}

bool MonitorCommands::tracertShown() { return traced().found; }

void MonitorCommands::Act_MonitorHopsExecute() {
  const reading::TracedHost& route = traced();
  if (!route.found) return;
  window_.watchRoute(route.host, main_.form().windowBounds());
}

}  // namespace velquin::monitor
