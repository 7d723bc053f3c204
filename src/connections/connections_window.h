#pragma once
// TfrmConnections: the connections window, beside the main window. Every
// TCP and UDP endpoint of the machine with its program, read again at the
// interval chosen; rows that appeared, changed or closed coloured for a
// few readings, and every such event kept in a pane below. Made once,
// hidden, with the program; closing it stops the readings and hides it.
// ConnectionsCommands is its side in the main window: Ctrl+N, the system
// menu, the output view's menu, what the state file keeps, and what the
// table's menu asks of the main window and the monitor.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/main_window.h"
#include "connections/rows.h"
#include "connections/table.h"
#include "form/form.h"
#include "form/list_doc.h"
#include "platform/platform.h"

namespace velquin::app {
class RunStatus;
}
namespace velquin::monitor {
class TfrmMonitor;
}

namespace velquin::connections {

// The intervals of CB_ConnRefresh in ms; -1 pauses.
inline constexpr int kRefreshMs[] = {500, 1000, 2000, 5000, -1};
// Row backgrounds while a mark shows.
inline constexpr int kAppearedColor = 0xC8F0C8;
inline constexpr int kChangedColor = 0xFFF0A0;
inline constexpr int kClosedColor = 0xF8C0C0;
inline constexpr const char* kCloseRefused =
    "接続を切れませんでした: 管理者として実行してください";

class TfrmConnections : public form::ListSource {
 public:
  explicit TfrmConnections(platform::Platform& os);
  ~TfrmConnections() override;
  TfrmConnections(const TfrmConnections&) = delete;
  TfrmConnections& operator=(const TfrmConnections&) = delete;

  form::Form& form() { return form_; }
  const Table& table() const { return table_; }
  form::ListDoc& list() { return list_; }
  form::ListDoc& eventList() { return eventList_; }
  // The slot of the table shown at each place of the list.
  const std::vector<size_t>& order() const { return order_; }
  const RemoteNames& names() const { return names_; }

  // Shows the window (over the owner's bounds the first time) and reads
  // the tables at once, or brings it to the front when it shows already.
  void open(const form::Rect& owner);

  // Handlers
  void refresh();           // F5, and the timer
  void FormClose();         // its close box: stops the readings, hides
  void CB_ConnRefreshChange();
  void filterChange();      // the filter's words or boxes
  void CB_ConnEventsClick();
  void selectAll();         // Ctrl+A
  void copy();              // Ctrl+C
  void saveCsv();
  void saveEvents();
  void closeConnections();  // "接続を切る"
  void watchRemote();
  void pingRemote();
  void traceRemote();
  void openFileFolder();

  // What the table's menu can do for the rows selected now.
  bool canClose() const;
  bool hasRemoteSelected() const;
  bool fileKnown() const;

  // What the main window and the monitor do for the table's menu.
  std::function<void(const std::string& address)> onWatch, onPing, onTrace;
  std::function<void()> onRestartElevated;

  // What the state file keeps: bounds in 96-DPI units, the choices.
  void readState(const app::UserState& s);
  void writeState(app::UserState& s) const;

  // Waits for the lookups of remote names under way and takes them.
  void awaitNames();

  // form::ListSource
  size_t rowCount() const override { return order_.size(); }
  std::string cell(size_t row, int column) const override;
  int rowBackground(size_t row) const override;
  std::string rowMark(size_t row) const override;

 private:
  struct Controls;
  // The events, newest first.
  class EventSource : public form::ListSource {
   public:
    explicit EventSource(const Table& t) : table_(t) {}
    size_t rowCount() const override { return table_.events().size(); }
    std::string cell(size_t row, int column) const override;

   private:
    const Table& table_;
  };
  // Names looked up on a thread of their own, which owns its share of
  // this: a name server that keeps it waiting delays neither the window
  // nor the program's end.
  struct Lookups {
    std::mutex lock;
    std::condition_variable over;
    std::vector<std::pair<std::string, std::string>> done;  // address, name
    bool cancel = false;
    bool finished = false;
  };

  void declare();
  void tick();
  void schedule();
  void follow(const Changes& c);
  void reorder();
  void showTitle();
  void showEvents();
  // The names of the remote addresses of these rows are looked up once
  // each, a batch at a time.
  void askNames(const std::vector<size_t>& slots);
  bool takeNames();
  std::vector<size_t> selectedSlots() const;
  // The remote address of the first row selected that has one.
  std::string selectedRemote() const;
  void saveBytes(const std::string& name, const std::string& bytes);

  platform::Platform& os_;
  form::Form form_;
  Table table_;
  RemoteNames names_;
  std::set<std::string> asked_;
  std::vector<std::string> wanted_;
  std::shared_ptr<Lookups> lookups_;
  Sort sort_;
  Filter filter_;
  std::vector<size_t> order_;      // place shown -> slot
  std::vector<uint8_t> inOrder_;   // by slot
  EventSource events_;
  form::ListDoc list_;
  form::ListDoc eventList_;
  bool placed_ = false;
  std::unique_ptr<Controls> c_;
};

class ConnectionsCommands : public app::PageUnit {
 public:
  ConnectionsCommands(app::TfrmMain& main, TfrmConnections& window,
                      monitor::TfrmMonitor& monitor, app::RunStatus& status);

  void formShown() override;
  void formClosing() override;

  // Ctrl+N, the menus: the window.
  void Act_ConnectionsExecute();

 private:
  // Edit1 gets the command line of the tool's page for the address, built
  // by the page itself, and the main window comes forward to show it.
  void fillLine(app::Tool tool, const char* field, const char* build,
                const std::string& address);

  app::TfrmMain& main_;
  TfrmConnections& window_;
};

}  // namespace velquin::connections
