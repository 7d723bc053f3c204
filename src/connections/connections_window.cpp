#include "connections/connections_window.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <thread>

#include "app/run_status.h"
#include "app/window_bounds.h"
#include "form/output_doc.h"
#include "monitor/monitor_window.h"

namespace velquin::connections {

using form::Align;
using form::Kind;

namespace {

constexpr const char* kCaption = "接続";
constexpr const char* kOpenCaption = "接続(&O)...";
constexpr const char* kRestartQuestion = "\r\n\r\n管理者として再起動しますか?";
constexpr const char* kIpv6NoClose =
    "IPv6 の接続はシステムが切断を受け付けないため切れません";
constexpr const char* kListenNoClose = "待ち受けや UDP には切る接続がありません";
// Design size of the window, 96-DPI units.
constexpr int kWidth = 940;
constexpr int kHeight = 540;
constexpr int kEventsHeight = 190;
// While names are looked up and the readings are paused, the window looks
// for them this often.
constexpr int kNamesPollMs = 250;

constexpr const char* kBoundsValue = "connections.bounds";
constexpr const char* kRefreshValue = "connections.refresh";
constexpr const char* kFilterValue = "connections.filter";
constexpr const char* kListenValue = "connections.listen";
constexpr const char* kUdpValue = "connections.udp";
constexpr const char* kLoopbackValue = "connections.loopback";
constexpr const char* kEventsValue = "connections.events";
constexpr const char* kSortValue = "connections.sort";

std::vector<form::ListDoc::Column> tableColumns() {
  const int widths[kColumnCount] = {104, 48, 72, 110, 92, 110, 92, 100, 116, 64};
  std::vector<form::ListDoc::Column> out;
  for (int c = 0; c < kColumnCount; ++c) {
    const bool number = c == kPidColumn || c == kLocalPortColumn || c == kRemotePortColumn;
    out.push_back({kColumns[c], widths[c], number});
  }
  return out;
}

std::vector<form::ListDoc::Column> eventColumns() {
  const int widths[kEventColumnCount] = {64, 220, 110, 72, 170, 190};
  std::vector<form::ListDoc::Column> out;
  for (int c = 0; c < kEventColumnCount; ++c) out.push_back({kEventColumns[c], widths[c]});
  return out;
}

bool closable(const Row& r) {
  return r.live && r.mark != Mark::Closed && r.ep.transport == Transport::Tcp &&
         r.ep.state != kListening;
}

}  // namespace

struct TfrmConnections::Controls {
  form::Control& CB_ConnRefresh;
  form::Control& Edit_ConnFilter;
  form::Control& CB_ConnListen;
  form::Control& CB_ConnUdp;
  form::Control& CB_ConnLoopback;
  form::Control& CB_ConnEvents;
  form::Control& PanelConnEvents;
  form::Control& LblConnEvents;
  form::Control& LV_Connections;
  form::Control& LV_ConnEvents;
};

std::string TfrmConnections::EventSource::cell(size_t row, int column) const {
  const EventLog& log = table_.events();
  if (row >= log.size()) return "";
  return eventCell(table_, log[log.size() - 1 - row], column);
}

TfrmConnections::TfrmConnections(platform::Platform& os)
    : os_(os),
      form_("frmConnections"),
      table_(os),
      events_(table_),
      list_(*this, tableColumns(), 0),
      eventList_(events_, eventColumns(), 0) {
  declare();
}

TfrmConnections::~TfrmConnections() {
  c_->LV_Connections.setList(nullptr);
  c_->LV_ConnEvents.setList(nullptr);
  if (lookups_) {
    std::lock_guard<std::mutex> hold(lookups_->lock);
    lookups_->cancel = true;
  }
}

void TfrmConnections::declare() {
  form::Form& f = form_;
  f.setCaption(kCaption);
  const int dpi = os_.screenDpi();
  f.setWindowBounds({0, 0, kWidth * dpi / 96, kHeight * dpi / 96});

  f.add({.name = "PanelConnTop", .kind = Kind::Panel, .bounds = {0, 0, 0, 32},
         .style = {.align = Align::Top, .bevel = false}});
  f.add({.name = "LblConnRefresh", .kind = Kind::Label, .parent = "PanelConnTop",
         .text = "更新間隔(&I):", .bounds = {8, 9, 70, 14},
         .style = {.focusControl = "CB_ConnRefresh"}});
  f.add({.name = "CB_ConnRefresh", .kind = Kind::ComboBox, .parent = "PanelConnTop",
         .bounds = {82, 5, 78, 20}, .style = {.comboStyle = form::ComboStyle::DropDownList},
         .items = {"0.5 秒", "1 秒", "2 秒", "5 秒", "一時停止"}, .itemIndex = 1,
         .onChange = [this] { CB_ConnRefreshChange(); }});
  f.add({.name = "LblConnFilter", .kind = Kind::Label, .parent = "PanelConnTop",
         .text = "絞り込み(&F):", .bounds = {172, 9, 70, 14},
         .style = {.focusControl = "Edit_ConnFilter"}});
  f.add({.name = "Edit_ConnFilter", .kind = Kind::Edit, .parent = "PanelConnTop",
         .bounds = {244, 5, 170, 20},
         .hint = "空白で区切った語のどれかを含む行 (数字はポート番号)",
         .onChange = [this] { filterChange(); }});
  f.add({.name = "CB_ConnListen", .kind = Kind::CheckBox, .parent = "PanelConnTop",
         .text = "待ち受け(&L)", .bounds = {426, 7, 84, 18}, .checked = true,
         .onClick = [this] { filterChange(); }});
  f.add({.name = "CB_ConnUdp", .kind = Kind::CheckBox, .parent = "PanelConnTop",
         .text = "UDP(&U)", .bounds = {514, 7, 62, 18}, .checked = true,
         .onClick = [this] { filterChange(); }});
  f.add({.name = "CB_ConnLoopback", .kind = Kind::CheckBox, .parent = "PanelConnTop",
         .text = "ループバック(&B)", .bounds = {580, 7, 106, 18}, .checked = true,
         .onClick = [this] { filterChange(); }});
  f.add({.name = "CB_ConnEvents", .kind = Kind::CheckBox, .parent = "PanelConnTop",
         .text = "変化の記録(&E)", .bounds = {692, 7, 110, 18}, .checked = true,
         .onClick = [this] { CB_ConnEventsClick(); }});

  f.add({.name = "PanelConnEvents", .kind = Kind::Panel, .bounds = {0, 0, 0, kEventsHeight},
         .style = {.align = Align::Bottom, .bevel = false}});
  f.add({.name = "PanelConnEventsBar", .kind = Kind::Panel, .parent = "PanelConnEvents",
         .bounds = {0, 0, 0, 30}, .style = {.align = Align::Top, .bevel = false}});
  f.add({.name = "LblConnEvents", .kind = Kind::Label, .parent = "PanelConnEventsBar",
         .text = "変化の記録", .bounds = {8, 9, 420, 14}, .style = {.autoSize = false}});
  f.add({.name = "btnConnEventsSave", .kind = Kind::Button, .parent = "PanelConnEventsBar",
         .text = "記録を保存(&V)...", .bounds = {440, 3, 130, 24},
         .onClick = [this] { saveEvents(); }});
  f.add({.name = "LV_ConnEvents", .kind = Kind::List, .parent = "PanelConnEvents",
         .style = {.align = Align::Client}});
  // Between the settings and the events in the Tab order.
  f.add({.name = "LV_Connections", .kind = Kind::List, .before = "PanelConnEvents",
         .style = {.align = Align::Client}});

  f.addAction({"Act_ConnRefresh", "接続", "", [this] { refresh(); }});
  f.addAction({"Act_ConnSelectAll", "接続", "すべて選択(&A)", [this] { selectAll(); }});
  f.addAction({"Act_ConnCopy", "接続", "コピー(&C)", [this] { copy(); }});
  f.addAction({"Act_ConnSaveCsv", "接続", "CSV で保存(&S)...", [this] { saveCsv(); }});
  f.addAction({"Act_ConnClose", "接続", "接続を切る(&X)", [this] { closeConnections(); }});
  f.addAction({"Act_ConnWatch", "接続", "リモートを監視(&M)", [this] { watchRemote(); }});
  f.addAction({"Act_ConnPing", "接続", "リモートに ping(&P)", [this] { pingRemote(); }});
  f.addAction({"Act_ConnTrace", "接続", "リモートへの経路(&R)", [this] { traceRemote(); }});
  f.addAction({"Act_ConnFolder", "接続", "ファイルの場所を開く(&O)",
               [this] { openFileFolder(); }});
  f.addShortcut("Ctrl+A", "LV_Connections", "Act_ConnSelectAll");
  f.addShortcut("Ctrl+C", "LV_Connections", "Act_ConnCopy");
  for (form::Control* root : f.roots()) f.addShortcut("F5", root->name(), "Act_ConnRefresh");
  f.onTimer = [this] { tick(); };

  auto any = [this] { return !list_.selection().empty(); };
  auto remote = [this] { return hasRemoteSelected(); };
  list_.addMenuItem({.caption = "コピー(&C)\tCtrl+C", .action = "Act_ConnCopy", .enabled = any});
  list_.addMenuItem({.caption = "すべて選択(&A)\tCtrl+A", .action = "Act_ConnSelectAll"});
  list_.addMenuItem({.caption = "CSV で保存(&S)...", .action = "Act_ConnSaveCsv"});
  list_.addMenuItem({.caption = "接続を切る(&X)", .action = "Act_ConnClose",
                     .enabled = [this] { return canClose(); },
                     .why =
                         [this]() -> std::string {
                           if (canClose()) return "";
                           for (size_t slot : selectedSlots())
                             if (isV6(table_.row(slot).ep.transport)) return kIpv6NoClose;
                           return list_.selection().empty() ? "" : kListenNoClose;
                         },
                     .separatorBefore = true});
  list_.addMenuItem({.caption = "リモートを監視(&M)", .action = "Act_ConnWatch",
                     .enabled = remote, .separatorBefore = true});
  list_.addMenuItem({.caption = "リモートに ping(&P)", .action = "Act_ConnPing", .enabled = remote});
  list_.addMenuItem({.caption = "リモートへの経路(&R)", .action = "Act_ConnTrace", .enabled = remote});
  list_.addMenuItem({.caption = "ファイルの場所を開く(&O)", .action = "Act_ConnFolder",
                     .enabled = [this] { return fileKnown(); }, .separatorBefore = true});

  c_.reset(new Controls{f["CB_ConnRefresh"], f["Edit_ConnFilter"], f["CB_ConnListen"],
                        f["CB_ConnUdp"], f["CB_ConnLoopback"], f["CB_ConnEvents"],
                        f["PanelConnEvents"], f["LblConnEvents"], f["LV_Connections"],
                        f["LV_ConnEvents"]});
  c_->LV_Connections.setList(&list_);
  c_->LV_ConnEvents.setList(&eventList_);
  list_.onHeaderClick = [this](int column) {
    sort_.click(column);
    reorder();
  };
  f.setFocus(c_->LV_Connections);
  showTitle();
}

void TfrmConnections::open(const form::Rect& owner) {
  if (!app::showOver(form_, owner, placed_)) return;
  refresh();
  schedule();
}

void TfrmConnections::FormClose() {
  form_.requestTimer(-1);
  form_.setWindowVisible(false);
}

void TfrmConnections::tick() {
  if (takeNames()) {
    if (sort_.column() == kRemoteNameColumn || filter_.hasWords()) reorder();
    else list_.changed();
  }
  askNames({});  // what waited for the last batch
  const int i = c_->CB_ConnRefresh.itemIndex();
  const bool paused = i < 0 || i >= static_cast<int>(std::size(kRefreshMs)) || kRefreshMs[i] < 0;
  if (!paused && form_.windowVisible()) refresh();
  schedule();
}

void TfrmConnections::schedule() {
  const int i = c_->CB_ConnRefresh.itemIndex();
  int wait = i >= 0 && i < static_cast<int>(std::size(kRefreshMs)) ? kRefreshMs[i] : -1;
  if (!form_.windowVisible()) wait = -1;
  else if (wait < 0 && lookups_) wait = kNamesPollMs;
  form_.requestTimer(wait);
}

void TfrmConnections::refresh() {
  Changes c;
  if (!table_.refresh(c)) {
    form_.setCaption(std::string(kCaption) + " - " + table_.error());
    return;
  }
  follow(c);
  askNames(c.appeared);
  showTitle();
  if (c.events > 0 || table_.events().size() == 0) showEvents();
}

// The rows that came in go to their place by the sort; the rows there stay
// where they are, however their figures changed, so that nothing moves
// under the user's eyes but what came and went.
void TfrmConnections::follow(const Changes& c) {
  inOrder_.resize(table_.slots(), 0);
  const std::vector<size_t> selected = selectedSlots();
  bool dropped = false;
  for (size_t slot : c.removed)
    if (inOrder_[slot]) {
      inOrder_[slot] = 2;
      dropped = true;
    }
  std::vector<size_t> added;
  auto check = [&](size_t slot) {
    const bool passes = filter_.passes(table_, names_, table_.row(slot));
    if (passes && !inOrder_[slot]) {
      inOrder_[slot] = 1;
      added.push_back(slot);
    } else if (!passes && inOrder_[slot] == 1) {
      inOrder_[slot] = 2;
      dropped = true;
    }
  };
  for (size_t slot : c.appeared) check(slot);
  for (size_t slot : c.changed) check(slot);
  const std::vector<size_t> before = dropped || !added.empty() ? order_ : std::vector<size_t>();
  if (dropped) {
    std::erase_if(order_, [this](size_t slot) { return inOrder_[slot] == 2; });
    for (uint8_t& v : inOrder_)
      if (v == 2) v = 0;
  }
  if (!added.empty()) {
    sort_.order(table_, names_, added);
    std::vector<size_t> merged;
    merged.reserve(order_.size() + added.size());
    std::merge(order_.begin(), order_.end(), added.begin(), added.end(),
               std::back_inserter(merged),
               [this](size_t a, size_t b) { return sort_.before(table_, names_, a, b); });
    order_.swap(merged);
  }
  // The list draws again only the places whose text or colour changed:
  // every place from the first one that now holds another row, and above
  // it the rows that changed where they stand.
  size_t moved = order_.size();
  if (dropped || !added.empty()) {
    moved = 0;
    while (moved < before.size() && moved < order_.size() && before[moved] == order_[moved])
      ++moved;
  }
  std::vector<size_t> places;
  if (!c.appeared.empty() || !c.changed.empty() || !c.closed.empty() || !c.faded.empty()) {
    std::vector<bool> touched(table_.slots(), false);
    for (const auto* slots : {&c.appeared, &c.changed, &c.closed, &c.faded})
      for (size_t slot : *slots) touched[slot] = true;
    for (size_t place = 0; place < moved; ++place)
      if (touched[order_[place]]) places.push_back(place);
  }
  for (size_t place = moved; place < order_.size(); ++place) places.push_back(place);
  // Fewer rows leave places at the bottom that hold nothing now: the list
  // is drawn whole then.
  const bool shrank = order_.size() < before.size();
  if (dropped || !added.empty()) {
    std::vector<size_t> selectedPlaces;
    for (size_t place = 0; place < order_.size(); ++place)
      if (std::find(selected.begin(), selected.end(), order_[place]) != selected.end())
        selectedPlaces.push_back(place);
    const std::vector<size_t> wasSelected = list_.selection();
    if (shrank) list_.changed();
    else list_.changed(std::move(places));
    if (selectedPlaces != wasSelected) list_.select(selectedPlaces);
  } else {
    list_.changed(std::move(places));
  }
}

void TfrmConnections::reorder() {
  const std::vector<size_t> selected = selectedSlots();
  order_.clear();
  inOrder_.assign(table_.slots(), 0);
  for (size_t slot = 0; slot < table_.slots(); ++slot) {
    const Row& r = table_.row(slot);
    if (!r.live || !filter_.passes(table_, names_, r)) continue;
    order_.push_back(slot);
    inOrder_[slot] = 1;
  }
  sort_.order(table_, names_, order_);
  std::vector<size_t> places;
  for (size_t place = 0; place < order_.size(); ++place)
    if (std::find(selected.begin(), selected.end(), order_[place]) != selected.end())
      places.push_back(place);
  list_.setSortMark(sort_.column(), sort_.descending());
  list_.changed();
  list_.select(places);
  showTitle();
}

void TfrmConnections::showTitle() {
  std::string title = std::string(kCaption) + " (" + std::to_string(order_.size()) + " / " +
                      std::to_string(table_.liveCount()) + ")";
  if (title != form_.caption()) form_.setCaption(title);
}

void TfrmConnections::showEvents() {
  const EventLog& log = table_.events();
  std::string text = "変化の記録 " + std::to_string(log.size()) + " 件";
  if (log.dropped() > 0)
    text += " (上限 " + std::to_string(log.limit()) + " 件を超えた古い " +
            std::to_string(log.dropped()) + " 件は削除しました)";
  c_->LblConnEvents.setText(text);
  eventList_.changed();
}

void TfrmConnections::askNames(const std::vector<size_t>& slots) {
  for (size_t slot : slots) {
    const Row& r = table_.row(slot);
    if (!hasRemote(r)) continue;
    std::string address = addressText(r.ep.remote, isV6(r.ep.transport));
    if (asked_.insert(address).second) wanted_.push_back(std::move(address));
  }
  if (wanted_.empty() || lookups_) return;
  auto shared = std::make_shared<Lookups>();
  lookups_ = shared;
  std::thread([shared, lookup = os_.addressLookup(), wanted = std::move(wanted_)] {
    for (const std::string& address : wanted) {
      {
        std::lock_guard<std::mutex> hold(shared->lock);
        if (shared->cancel) break;
      }
      std::string name = lookup(address);
      std::lock_guard<std::mutex> hold(shared->lock);
      shared->done.emplace_back(address, std::move(name));
    }
    std::lock_guard<std::mutex> hold(shared->lock);
    shared->finished = true;
    shared->over.notify_all();
  }).detach();
  wanted_.clear();
}

bool TfrmConnections::takeNames() {
  if (!lookups_) return false;
  std::vector<std::pair<std::string, std::string>> done;
  bool finished;
  {
    std::lock_guard<std::mutex> hold(lookups_->lock);
    done.swap(lookups_->done);
    finished = lookups_->finished;
  }
  bool named = false;
  for (auto& [address, name] : done) {
    named = named || !name.empty();
    names_[address] = std::move(name);
  }
  if (finished) lookups_.reset();
  return named;
}

void TfrmConnections::awaitNames() {
  while (lookups_) {
    {
      std::unique_lock<std::mutex> hold(lookups_->lock);
      lookups_->over.wait(hold, [this] { return lookups_->finished; });
    }
    takeNames();
    askNames({});
  }
  if (sort_.column() == kRemoteNameColumn || filter_.hasWords()) reorder();
  else list_.changed();
}

void TfrmConnections::CB_ConnRefreshChange() { schedule(); }

void TfrmConnections::filterChange() {
  filter_.set(c_->Edit_ConnFilter.text(), c_->CB_ConnListen.checked(), c_->CB_ConnUdp.checked(),
              c_->CB_ConnLoopback.checked());
  reorder();
}

void TfrmConnections::CB_ConnEventsClick() {
  c_->PanelConnEvents.setVisible(c_->CB_ConnEvents.checked());
}

std::vector<size_t> TfrmConnections::selectedSlots() const {
  std::vector<size_t> out;
  for (size_t place : list_.selection())
    if (place < order_.size()) out.push_back(order_[place]);
  return out;
}

void TfrmConnections::selectAll() { list_.selectAll(); }

void TfrmConnections::copy() {
  const std::vector<size_t> slots = selectedSlots();
  if (slots.empty()) return;
  if (!list_.copyText || !list_.copyText(copyText(table_, names_, slots)))
    os_.showMessage("クリップボードにコピーできませんでした。");
}

void TfrmConnections::saveBytes(const std::string& name, const std::string& bytes) {
  platform::FileDialog d;
  d.filter = "CSV ファイル (*.csv)|*.csv";
  d.fileName = name;
  d.askBeforeReplace = true;
  d.defaultExtension = "csv";
  if (!os_.saveDialog(d)) return;
  const platform::IoResult r = os_.writeFile(d.fileName, bytes);
  if (!r.ok)
    os_.showMessage("CSV ファイルを保存できませんでした: " + d.fileName + "\r\n" + r.message);
}

void TfrmConnections::saveCsv() { saveBytes("connections.csv", csvText(table_, names_, order_)); }

void TfrmConnections::saveEvents() { saveBytes("connection-events.csv", eventsCsv(table_)); }

bool TfrmConnections::canClose() const {
  for (size_t slot : selectedSlots())
    if (closable(table_.row(slot))) return true;
  return false;
}

void TfrmConnections::closeConnections() {
  bool closed = false;
  for (size_t slot : selectedSlots()) {
    const Row& r = table_.row(slot);
    if (!closable(r)) continue;
    std::string error;
    switch (os_.closeConnection(r.ep, error)) {
      case platform::Platform::CloseOutcome::Closed:
        closed = true;
        break;
      case platform::Platform::CloseOutcome::Refused:
        // Only an administrator may end another's connection: the program
        // offers to start again as one, as for a command the system refused.
        if (os_.elevated()) {
          os_.showMessage(std::string(kCloseRefused) + "\r\n" + error);
        } else if (os_.askYesNo(kCaption, std::string(kCloseRefused) + kRestartQuestion) &&
                   onRestartElevated) {
          onRestartElevated();
        }
        if (closed) refresh();
        return;
      case platform::Platform::CloseOutcome::Failed:
        os_.showMessage("接続を切れませんでした: " + error);
        if (closed) refresh();
        return;
    }
  }
  if (closed) refresh();
}

std::string TfrmConnections::selectedRemote() const {
  for (size_t slot : selectedSlots()) {
    const Row& r = table_.row(slot);
    if (hasRemote(r)) return addressText(r.ep.remote, isV6(r.ep.transport));
  }
  return "";
}

bool TfrmConnections::hasRemoteSelected() const { return !selectedRemote().empty(); }

void TfrmConnections::watchRemote() {
  const std::string address = selectedRemote();
  if (!address.empty() && onWatch) onWatch(address);
}

void TfrmConnections::pingRemote() {
  const std::string address = selectedRemote();
  if (!address.empty() && onPing) onPing(address);
}

void TfrmConnections::traceRemote() {
  const std::string address = selectedRemote();
  if (!address.empty() && onTrace) onTrace(address);
}

bool TfrmConnections::fileKnown() const {
  const std::vector<size_t> slots = selectedSlots();
  return !slots.empty() && !table_.processOf(table_.row(slots.front())).path.empty();
}

void TfrmConnections::openFileFolder() {
  if (!fileKnown()) return;
  os_.showInFolder(table_.processOf(table_.row(selectedSlots().front())).path);
}

std::string TfrmConnections::cell(size_t row, int column) const {
  if (row >= order_.size()) return "";
  return cellText(table_, names_, table_.row(order_[row]), column);
}

int TfrmConnections::rowBackground(size_t row) const {
  if (row >= order_.size()) return -1;
  switch (table_.row(order_[row]).mark) {
    case Mark::Appeared: return kAppearedColor;
    case Mark::Changed: return kChangedColor;
    case Mark::Closed: return kClosedColor;
    case Mark::None: return -1;
  }
  return -1;
}

std::string TfrmConnections::rowMark(size_t row) const {
  if (row >= order_.size()) return "";
  switch (table_.row(order_[row]).mark) {
    case Mark::Appeared: return "+ ";
    case Mark::Changed: return "* ";
    case Mark::Closed: return "- ";
    case Mark::None: return "";
  }
  return "";
}

void TfrmConnections::readState(const app::UserState& s) {
  const int refresh = std::atoi(s.value(kRefreshValue, "1").c_str());
  if (refresh >= 0 && refresh < static_cast<int>(std::size(kRefreshMs)))
    c_->CB_ConnRefresh.setItemIndex(refresh);
  c_->Edit_ConnFilter.setText(s.value(kFilterValue, ""));
  c_->CB_ConnListen.setChecked(s.value(kListenValue, "1") != "0");
  c_->CB_ConnUdp.setChecked(s.value(kUdpValue, "1") != "0");
  c_->CB_ConnLoopback.setChecked(s.value(kLoopbackValue, "1") != "0");
  c_->CB_ConnEvents.setChecked(s.value(kEventsValue, "1") != "0");
  CB_ConnEventsClick();
  const std::string sort = s.value(kSortValue, "");
  const int column = std::atoi(sort.c_str());
  if (!sort.empty() && column >= -1 && column < kColumnCount)
    sort_.set(column, sort.find(" 1") != std::string::npos);
  filterChange();
  if (const auto b = app::storedBounds(s, kBoundsValue, os_)) {
    form_.setWindowBounds(*b);
    placed_ = true;
  }
}

void TfrmConnections::writeState(app::UserState& s) const {
  s.setValue(kRefreshValue, std::to_string(c_->CB_ConnRefresh.itemIndex()));
  s.setValue(kFilterValue, c_->Edit_ConnFilter.text());
  s.setValue(kListenValue, c_->CB_ConnListen.checked() ? "1" : "0");
  s.setValue(kUdpValue, c_->CB_ConnUdp.checked() ? "1" : "0");
  s.setValue(kLoopbackValue, c_->CB_ConnLoopback.checked() ? "1" : "0");
  s.setValue(kEventsValue, c_->CB_ConnEvents.checked() ? "1" : "0");
  s.setValue(kSortValue,
             std::to_string(sort_.column()) + (sort_.descending() ? " 1" : " 0"));
  if (placed_) app::storeBounds(s, kBoundsValue, form_.windowBounds(), os_);
}

ConnectionsCommands::ConnectionsCommands(app::TfrmMain& main, TfrmConnections& window,
                                         monitor::TfrmMonitor& monitor, app::RunStatus& status)
    : main_(main), window_(window) {
  form::Form& f = main_.form();
  f.addAction({"Act_Connections", "接続", kOpenCaption, [this] { Act_ConnectionsExecute(); }});
  // Anywhere in the main window.
  for (form::Control* root : f.roots()) f.addShortcut("Ctrl+N", root->name(), "Act_Connections");
  f.addWindowCommand({kOpenCaption, [this] { Act_ConnectionsExecute(); }});
  main_["Memo0"].outputDoc()->addMenuItem({.caption = kOpenCaption, .action = "Act_Connections"});
  window_.onWatch = [this, &monitor](const std::string& address) {
    monitor.addHost(address, main_.form().windowBounds());
  };
  window_.onPing = [this](const std::string& address) {
    fillLine(app::kPing, "Edit3", "Act_btnPingC_Click", address);
  };
  window_.onTrace = [this](const std::string& address) {
    fillLine(app::kTracert, "Edit6", "Act_btnTrace_Click", address);
  };
  window_.onRestartElevated = [&status] { status.restartElevated(); };
}

void ConnectionsCommands::formShown() { window_.readState(main_.state()); }

void ConnectionsCommands::formClosing() { window_.writeState(main_.state()); }

void ConnectionsCommands::Act_ConnectionsExecute() { window_.open(main_.form().windowBounds()); }

void ConnectionsCommands::fillLine(app::Tool tool, const char* field, const char* build,
                                   const std::string& address) {
  main_["PageControl1"].setActivePage(main_["TabSheet1"]);
  form::Control& selector = main_["RadioGroup1"];
  if (selector.itemIndex() == tool) main_.form().execute("Act_RB_Click");
  else selector.setItemIndex(tool);
  main_[field].setText(address);
  main_.form().execute(build);
  main_.form().bringToFront();
  main_.form().setFocus(main_["Edit1"]);
}

}  // namespace velquin::connections
