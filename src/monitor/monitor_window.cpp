#include "monitor/monitor_window.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "app/graph_menu.h"
#include "app/settings.h"
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
// Design size of the window, 96-DPI units.
constexpr int kWidth = 760;
constexpr int kHeight = 520;
constexpr int kGraphHeight = 170;
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

std::vector<form::ListDoc::Column> listColumns() {
  const int widths[kColumnCount] = {32, 100, 48, 40, 40, 40, 44, 40, 40, 60, 104};
  std::vector<form::ListDoc::Column> out;
  for (int c = 0; c < kColumnCount; ++c)
    out.push_back({kColumns[c], widths[c], c != 1 && c != kColumnCount - 1});
  return out;
}

std::string csvField(const std::string& s) {
  if (s.find_first_of(",\"\r\n") == std::string::npos) return s;
  std::string out = "\"";
  for (char c : s) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::vector<int> numbers(const std::string& text) {
  std::vector<int> out;
  std::istringstream in(text);
  int v;
  while (in >> v) out.push_back(v);
  return out;
}

}  // namespace

std::string csvText(const Monitor& m, const std::vector<size_t>& rows) {
  const std::vector<State> states = rowStates(m);
  std::string text = "\xEF\xBB\xBF";
  for (int c = 0; c < kColumnCount; ++c) text += std::string(c ? "," : "") + csvField(kColumns[c]);
  text += "\r\n";
  for (size_t i : rows) {
    if (i >= m.rowCount()) continue;
    const std::vector<std::string> cells = rowCells(m.row(i), states[i]);
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
};

TfrmMonitor::TfrmMonitor(platform::Platform& os)
    : os_(os),
      form_("frmMonitor"),
      monitor_(os),
      list_(*this, listColumns(), 110, 1),
      graph_(*this) {
  declare();
}

TfrmMonitor::~TfrmMonitor() {
  c_->LV_Monitor.setList(nullptr);
  c_->PaintMonitor.setGraph(nullptr);
  monitor_.stop();
  retireNames();
}

void TfrmMonitor::declare() {
  form::Form& f = form_;
  f.setCaption(kCaption);
  const int dpi = os_.screenDpi();
  f.setWindowBounds({0, 0, kWidth * dpi / 96, kHeight * dpi / 96});

  f.add({.name = "PanelMonitorTop", .kind = Kind::Panel, .bounds = {0, 0, 0, 86},
         .style = {.align = Align::Top, .bevel = false}});
  f.add({.name = "RG_MonitorMode", .kind = Kind::RadioGroup, .parent = "PanelMonitorTop",
         .text = "方式(&W)", .bounds = {8, 4, 96, 76}, .items = {"ホスト", "経路"},
         .itemIndex = 0});
  f.add({.name = "LblMonitorHosts", .kind = Kind::Label, .parent = "PanelMonitorTop",
         .text = "ホスト(&O):", .bounds = {114, 6, 80, 14},
         .style = {.focusControl = "Memo_Hosts"}});
  f.add({.name = "Memo_Hosts", .kind = Kind::Memo, .parent = "PanelMonitorTop",
         .bounds = {114, 22, 220, 58}, .style = {.scrollBars = form::ScrollBars::Vertical},
         .hint = "1 行に 1 つ: 名前、アドレス、192.168.1.1-254、192.168.1.0/24"});
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

  f.addAction({"Act_MonitorSelectAll", "監視", "すべて選択(&A)", [this] { selectAll(); }});
  f.addAction({"Act_MonitorCopy", "監視", "コピー(&C)", [this] { copy(); }});
  f.addAction({"Act_MonitorEnter", "監視", "", [this] { start(); }});
  f.addShortcut("Ctrl+A", "LV_Monitor", "Act_MonitorSelectAll");
  f.addShortcut("Ctrl+C", "LV_Monitor", "Act_MonitorCopy");
  // Enter in a field starts with what the fields now hold.
  f.addShortcut("Enter", "Edit_MonitorSec", "Act_MonitorEnter");
  f.addShortcut("Enter", "Edit_MonitorTimeout", "Act_MonitorEnter");
  app::addGraphMenu(f, graph_, os_, "monitor.png");
  f.onTimer = [this] { tick(); };

  c_.reset(new Controls{f["RG_MonitorMode"], f["Memo_Hosts"], f["Edit_MonitorSec"],
                        f["Edit_MonitorTimeout"], f["btnMonitor"], f["LV_Monitor"],
                        f["CB_MonitorRange"], f["PaintMonitor"]});
  c_->LV_Monitor.setList(&list_);
  c_->PaintMonitor.setGraph(&graph_);
  graph_.setSpan(app::kGraphSpans[0]);
  list_.onHeaderClick = [this](int column) {
    sort_.click(column);
    reorder();
  };
  list_.onSelect = [this] { listSelected(); };
  f.setFocus(c_->Memo_Hosts);
}

void TfrmMonitor::open(const form::Rect& owner) {
  if (form_.windowVisible()) {
    form_.bringToFront();
    return;
  }
  if (!placed_) {
    form::Rect b = form_.windowBounds();
    b.left = owner.left + (owner.width - b.width) / 2;
    b.top = owner.top + (owner.height - b.height) / 2;
    form_.setWindowBounds(b);
    placed_ = true;
  }
  form_.setWindowVisible(true);
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

void TfrmMonitor::start() {
  const HostList hosts = readHosts(c_->Memo_Hosts.text());
  if (!hosts.error.empty() || hosts.hosts.empty()) {
    os_.showMessage(hosts.error.empty() ? kNoHosts : hosts.error);
    form_.setFocus(c_->Memo_Hosts);
    return;
  }
  Options options;
  if (!readInterval(options.intervalMs) || !readTimeout(options.timeoutMs)) return;
  options.mode = c_->RG_MonitorMode.itemIndex() == 1 ? Mode::Route : Mode::Hosts;
  retireNames();
  // Addresses are known at once; names are looked up off the window's
  // thread (a name server may keep them waiting), their rows filled when
  // they come.
  const size_t count = options.mode == Mode::Route ? 1 : hosts.hosts.size();
  std::vector<std::optional<std::string>> addresses;
  std::vector<std::pair<size_t, std::string>> names;
  for (size_t i = 0; i < count; ++i) {
    const std::string& h = hosts.hosts[i];
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
  list_.select({});
  order_.clear();
  showButton();
  show();
  // The first requests go at once.
  tick();
}

void TfrmMonitor::stop() {
  monitor_.stop();
  retireNames();
  showButton();
  show();
  form_.requestTimer(-1);
}

void TfrmMonitor::FormClose() {
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
    const Shown now{r.series.size(), states_[row], !r.address.empty()};
    if (shown_[row] == now && !reordered_) continue;
    shown_[row] = now;
    changed.push_back(place);
  }
  if (reordered_) list_.changed();
  else list_.changed(std::move(changed));
  reordered_ = false;
  if (!shownSeries_.empty()) graph_.changed();
  dirty_ = false;
  shownAt_ = os_.steadyMs();
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

void TfrmMonitor::saveCsv() {
  platform::FileDialog d;
  d.filter = "CSV ファイル (*.csv)|*.csv";
  d.fileName = "monitor.csv";
  d.askBeforeReplace = true;
  d.defaultExtension = "csv";
  if (!os_.saveDialog(d)) return;
  const std::string& path = d.fileName;
  const platform::IoResult r = os_.writeFile(path, csvText(monitor_, order_));
  if (!r.ok) os_.showMessage("CSV ファイルを保存できませんでした: " + path + "\r\n" + r.message);
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
  const std::vector<std::string> cells = rowCells(monitor_.row(r), s);
  return column >= 0 && column < static_cast<int>(cells.size()) ? cells[column] : "";
}

int TfrmMonitor::cellColor(size_t row, int column) const {
  if (column != kColumnCount - 1 || row >= order_.size() || order_[row] >= states_.size())
    return -1;
  switch (states_[order_[row]]) {
    case State::Limited:
    case State::NoAnswer: return 0x808080;
    case State::Loss:
    case State::Unresolved: return 0xC00000;
    default: return -1;
  }
}

void TfrmMonitor::recent(size_t row, std::vector<int32_t>& out) const {
  out.clear();
  if (row >= order_.size() || order_[row] >= monitor_.rowCount()) return;
  const reading::PingSeries& s = monitor_.row(order_[row]).series;
  const size_t n = s.size();
  for (size_t i = n > kRecentShown ? n - kRecentShown : 0; i < n; ++i) out.push_back(s.value(i));
}

std::string TfrmMonitor::describe(size_t s, size_t i) const {
  const reading::PingSeries& t = series(s);
  const int32_t v = t.value(i);
  const std::string text = form::LineTimes::format(t.time(i)) + "  " +
                           monitor_.row(shownSeries_[s]).host + "  ";
  return text + (v >= 0 ? std::to_string(v) + " ms" : reading::lostText(v));
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
  const int top = std::atoi(s.value(kTopValue, "0").c_str());
  if (std::find(std::begin(app::kGraphTops), std::end(app::kGraphTops), top) !=
      std::end(app::kGraphTops))
    graph_.setFixedTop(top);
  // The bounds as stored (96-DPI units), kept only where a screen shows
  // the window's top left corner.
  const std::vector<int> b = numbers(s.value(kBoundsValue, ""));
  if (b.size() != 4 || b[2] < 200 || b[3] < 150) return;
  const int dpi = os_.screenDpi();
  const form::Rect r{static_cast<int>(app::scaleRounded(b[0], dpi, 96)),
                     static_cast<int>(app::scaleRounded(b[1], dpi, 96)),
                     static_cast<int>(app::scaleRounded(b[2], dpi, 96)),
                     static_cast<int>(app::scaleRounded(b[3], dpi, 96))};
  if (!os_.workArea(r.left + 8, r.top + 8).holds) return;
  form_.setWindowBounds(r);
  placed_ = true;
}

void TfrmMonitor::writeState(app::UserState& s) const {
  s.setValue(kHostsValue, c_->Memo_Hosts.text());
  s.setValue(kModeValue, std::to_string(std::max(c_->RG_MonitorMode.itemIndex(), 0)));
  s.setValue(kIntervalValue, c_->Edit_MonitorSec.text());
  s.setValue(kTimeoutValue, c_->Edit_MonitorTimeout.text());
  s.setValue(kRangeValue, std::to_string(c_->CB_MonitorRange.itemIndex()));
  s.setValue(kTopValue, std::to_string(graph_.fixedTop()));
  if (!placed_) return;
  const form::Rect& b = form_.windowBounds();
  const int dpi = os_.screenDpi();
  auto stored = [&](int px) { return std::to_string(app::scaleRounded(px, 96, dpi)); };
  s.setValue(kBoundsValue,
             stored(b.left) + " " + stored(b.top) + " " + stored(b.width) + " " + stored(b.height));
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
