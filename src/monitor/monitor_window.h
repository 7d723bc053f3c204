#pragma once
// TfrmMonitor: the monitor window, beside the main window. The hosts of a
// list (or every hop of the route to the first of them) probed with echo
// requests, one row each in a report list with its figures and its latest
// results drawn small, and below it the graph of the rows selected. Made
// once, hidden, with the program; closing it stops the probes and hides it.
// MonitorCommands is its side in the main window: Ctrl+M, the system menu,
// the output view's menu, and what the state file keeps.

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "form/form.h"
#include "form/graph_doc.h"
#include "form/list_doc.h"
#include "monitor/monitor.h"
#include "monitor/monitor_log.h"
#include "monitor/notices.h"
#include "monitor/outage_list.h"
#include "monitor/table.h"
#include "platform/platform.h"
#include "reading/tracert_route.h"

namespace velquin::monitor {

// The last results drawn in each row.
inline constexpr size_t kRecentShown = 60;

// Every row in the order given, every column, comma-separated (a field
// with a comma, a quote or a line break quoted), lines ending in CR LF,
// after UTF-8's byte order mark.
std::string csvText(const Monitor& m, const std::vector<size_t>& rows);

class TfrmMonitor : public form::ListSource, public form::GraphSource {
 public:
  explicit TfrmMonitor(platform::Platform& os);
  ~TfrmMonitor() override;
  TfrmMonitor(const TfrmMonitor&) = delete;
  TfrmMonitor& operator=(const TfrmMonitor&) = delete;

  form::Form& form() { return form_; }
  const Monitor& monitor() const { return monitor_; }
  form::ListDoc& list() { return list_; }
  form::GraphDoc& graph() { return graph_; }
  // The row of the monitor shown at each place of the list.
  const std::vector<size_t>& order() const { return order_; }

  // Shows the window (over the owner's bounds the first time), or brings it
  // to the front when it shows already.
  void open(const form::Rect& owner);
  // The hosts of a route: the list holds the host, the mode is "経路", the
  // probes stopped; the window comes up.
  void watchRoute(const std::string& host, const form::Rect& owner);
  // A host added at the end of the list unless it is there already, the
  // mode "ホスト"; the window comes up (the probes go on as they were).
  void addHost(const std::string& host, const form::Rect& owner);

  // Handlers
  void btnMonitorClick();  // starts or stops
  void start();
  void stop();
  void FormClose();        // its close box: stops, hides
  void selectAll();        // Ctrl+A in the list
  void copy();             // Ctrl+C in the list
  void saveCsv();
  void CB_MonitorRangeChange();
  void CB_MonitorOutagesClick();  // the list of outages, shown or hidden
  void outagesSelectAll();        // Ctrl+A in the list of outages
  void outagesCopy();             // Ctrl+C in the list of outages
  // The icon's click and "監視を表示": the window, shown and in front.
  void showWindow();
  void btnMonitorLogFolderClick();  // "記録先": the log's folder
  const MonitorLog& log() const { return log_; }

  form::ListDoc& outageList() { return outageList_; }
  const OutageTable& outageTable() const { return outageTable_; }
  // Whether the icon in the notification area shows (the shell took it).
  bool trayShown() const { return !trayTip_.empty(); }

  // What the state file keeps: bounds in 96-DPI units, the choices.
  void readState(const app::UserState& s);
  void writeState(app::UserState& s) const;

  // Waits for the names of this start being resolved and takes their
  // addresses, as the timer would once they came.
  void awaitNames();

  // form::ListSource
  size_t rowCount() const override { return order_.size(); }
  std::string cell(size_t row, int column) const override;
  int cellColor(size_t row, int column) const override;
  void recent(size_t row, std::vector<int32_t>& out) const override;

  // form::GraphSource: the selected rows.
  size_t seriesCount() const override { return shownSeries_.size(); }
  size_t pointCount(size_t s) const override { return series(s).size(); }
  Run run(size_t s, size_t i) const override {
    const RowHistory& t = series(s);
    return {t.times(i), t.values(i), t.together(i)};
  }
  std::string describe(size_t s, size_t i) const override;
  // The minutes older than the hour, summed up.
  size_t summaryCount(size_t s) const override { return series(s).summaryCount(); }
  Summary summary(size_t s, size_t i) const override;
  std::string describeSummary(size_t s, size_t i) const override;

 private:
  struct Controls;
  // Names resolved on a thread of their own, which owns its share of this
  // and the lookup it calls: a name server that keeps it waiting delays
  // neither the window, nor a new start, nor the program's end, which
  // leave it to finish alone, its addresses dropped.
  struct Names {
    std::mutex lock;
    std::condition_variable over;
    std::vector<std::pair<size_t, std::string>> done;  // row, address
    bool cancel = false;
    bool finished = false;  // the lookups are over
  };

  void declare();
  void tick();
  void schedule();
  // The list, its states and the graph follow the monitor.
  void show();
  void reorder();
  void takeNames();
  void retireNames();
  void listSelected();
  void showButton();
  bool readInterval(int& ms);
  bool readTimeout(int& ms);
  bool readThreshold(form::Control& field, const char* message, int& count);
  // The changes of rows gathered, told once due; the icon follows.
  void tell();
  void showTray();
  // The label under the choices says when the log cannot be written.
  void showLogError();
  std::string logRoot() const;
  const RowHistory& series(size_t s) const {
    return monitor_.row(shownSeries_[s]).series;
  }

  platform::Platform& os_;
  form::Form form_;
  Monitor monitor_;
  RowOrder sort_;
  std::vector<size_t> order_;          // place shown -> row
  std::vector<State> states_;          // by row
  // What each row showed when the list last drew it, by row: its results
  // counted, its state and whether its name had resolved.
  struct Shown {
    long long results = 0;
    State state = State::None;
    bool resolved = false;
    bool operator==(const Shown&) const = default;
  };
  std::vector<Shown> shown_;
  bool reordered_ = true;  // the rows moved since the list last drew
  std::vector<size_t> shownSeries_;    // the rows of the graph
  form::ListDoc list_;
  form::GraphDoc graph_;
  bool dirty_ = false;
  int64_t shownAt_ = -1;
  bool placed_ = false;  // the window has had bounds of its own
  std::shared_ptr<Names> names_;  // the lookups of this start
  std::unique_ptr<Controls> c_;
  OutageTable outageTable_{monitor_.outages()};
  form::ListDoc outageList_;
  size_t outagesShown_ = 0;
  Notices notices_;
  // The icon as last shown: its level and tip ("": not shown).
  platform::Platform::TrayLevel trayLevel_ = platform::Platform::TrayLevel::Fine;
  std::string trayTip_;
  MonitorLog log_{os_};
  std::string logFolder_;  // chosen; "": Data\監視 beneath the start folder
  std::string startFolder_;
  std::string logError_;   // as the label shows it
};

class MonitorCommands : public app::PageUnit {
 public:
  MonitorCommands(app::TfrmMain& main, TfrmMonitor& window);

  void formShown() override;
  void formClosing() override;

  // Ctrl+M, the menus: the window.
  void Act_MonitorExecute();
  // "ホップを監視": the host that the output's tracert traced.
  void Act_MonitorHopsExecute();
  // Whether the output view holds the output of tracert.
  bool tracertShown();

 private:
  // The last tracert of the output view, read as far as it came.
  const reading::TracedHost& traced();

  app::TfrmMain& main_;
  TfrmMonitor& window_;
  reading::TracertFollower tracert_;
};

}  // namespace velquin::monitor
