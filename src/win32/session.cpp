#include "win32/session.h"

#include <commctrl.h>

#include "connections/connections_window.h"
#include "help/about_box.h"
#include "monitor/monitor_window.h"
#include "win32/ole_on_demand.h"

namespace velquin::win32 {

Session::Session(Win32Platform& os) : os_(os) {
  static const bool common = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                             ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)common;
  program_ = std::make_unique<Program>(os_);
  app::TfrmMain& m = program_->main();
  help::TfrmAbout& about = program_->about();
  // The creation handler runs before any window exists: a message it shows
  // (no settings file, a bad value) comes before the window appears.
  m.FormCreate();

  main_ = std::make_unique<Renderer>(m.form());
  main_->onClose = [this, &m] {
    // Whatever storing the settings meets, the window closes.
    main_->fromUser([&m] { m.FormClose(); });
    os_.setQuitting();
    m.form().setWindowVisible(false);
  };
  main_->onActivate = [&m] { m.FormActivate(); };
  about_ = std::make_unique<Renderer>(about.form());
  about_->onClose = [&about] { about.btnCloseClick(); };
  monitor::TfrmMonitor& monitor = program_->monitor();
  monitor_ = std::make_unique<Renderer>(monitor.form());
  monitor_->onClose = [&monitor] { monitor.FormClose(); };
  os_.attach(main_.get());
  os_.attachWindow(about_.get());
  os_.attachWindow(monitor_.get());
  main_->create(nullptr);
  about_->createWhenShown(main_->hwnd());
  monitor_->createWhenShown(main_->hwnd());
  connections::TfrmConnections& connections = program_->connections();
  connections_ = std::make_unique<Renderer>(connections.form());
  connections_->onClose = [&connections] { connections.FormClose(); };
  os_.attachWindow(connections_.get());
  connections_->createWhenShown(main_->hwnd());
}

Session::~Session() {
  os_.attach(nullptr);
  connections_.reset();
  monitor_.reset();
  about_.reset();
  main_.reset();
  program_.reset();
  // After the last window: an assistive tool reached the output view
  // through OLE as long as the view was there.
  releaseOle();
}

bool Session::holdsCom() const { return holdsOle(); }

void Session::show(int cmd) {
  app::TfrmMain& m = program_->main();
  main_->fromUser([&m] { m.FormShow(); });
  ShowWindow(main_->hwnd(), cmd == SW_HIDE ? SW_SHOWNORMAL : cmd);
  m.form().setWindowVisible(true);
  UpdateWindow(main_->hwnd());
}

}  // namespace velquin::win32
