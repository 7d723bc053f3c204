#include "program.h"

#include "app/history.h"
#include "app/run_status.h"
#include "builders/arp_page.h"
#include "builders/ipconfig_page.h"
#include "builders/nbtstat_page.h"
#include "builders/netstat_page.h"
#include "builders/nslookup_page.h"
#include "builders/pathping_page.h"
#include "builders/ping_page.h"
#include "builders/route_page.h"
#include "builders/tracert_page.h"
#include "connections/connections_window.h"
#include "exec/runner.h"
#include "help/about_box.h"
#include "help/help_page.h"
#include "monitor/monitor_window.h"
#include "net/net_page.h"
#include "results/batch_page.h"
#include "results/data_page.h"
#include "results/output_find.h"
#include "results/repeat_strip.h"
#include "results/ping_graph.h"

namespace velquin {

Program::Program(platform::Platform& platform)
    : main_(std::make_unique<app::TfrmMain>(platform)) {
  app::TfrmMain& m = *main_;
  // Tool pages in the order of their index in PageControl2.
  m.addTool<builders::IpconfigPage>(app::kIpconfig);
  m.addTool<builders::PingPage>(app::kPing);
  m.addTool<builders::NetstatPage>(app::kNetstat);
  m.addTool<builders::NbtstatPage>(app::kNbtstat);
  m.addTool<builders::RoutePage>(app::kRoute);
  m.addTool<builders::TracertPage>(app::kTracert);
  m.addTool<net::NetPage>(app::kNet);
  m.addTool<builders::ArpPage>(app::kArp);
  m.addTool<builders::NslookupPage>(app::kNslookup);
  m.addTool<builders::PathpingPage>(app::kPathping);
  // Kept results, then the batch run that gathers into them.
  // How each run goes and ends, and the history of the lines the user ran.
  app::RunStatus& status = *(status_ = &m.addUnit<app::RunStatus>());
  app::HistoryUnit& history = *(history_ = &m.addUnit<app::HistoryUnit>(status));
  results::DataPage& data = m.addUnit<results::DataPage>();
  m.addUnit<results::BatchPage>(data, status);
  m.addUnit<help::HelpPage>();
  // Find in the output view and the time of each line.
  m.addUnit<results::OutputFind>();
  results::RepeatStrip& repeat = m.addUnit<results::RepeatStrip>(status);
  // The echo replies of ping as a graph, with an alert when they stop.
  m.addUnit<results::PingGraph>(status);
  // The monitor of many hosts or of a route's hops, a window of its own.
  monitor_ = std::make_unique<monitor::TfrmMonitor>(platform);
  m.addUnit<monitor::MonitorCommands>(*monitor_);
  // Every connection of the machine, a window of its own.
  connections_ = std::make_unique<connections::TfrmConnections>(platform);
  m.addUnit<connections::ConnectionsCommands>(*connections_, *monitor_, status);
  // The command runner behind the run, stop and Ctrl-C buttons.
  runner_ = std::make_unique<exec::Runner>(m.form(), platform);
  runner_->addObserver(status);
  runner_->addObserver(history);
  runner_->addObserver(repeat);
  about_ = std::make_unique<help::TfrmAbout>(platform);
  m.addWindow(about_->form());
  m.addWindow(monitor_->form());
  m.form().checkNames();
  about_->form().checkNames();
  monitor_->form().checkNames();
  m.addWindow(connections_->form());
  connections_->form().checkNames();
}

Program::~Program() = default;

}  // namespace velquin
