#pragma once
// The echo replies of the output as a graph: a pane above the output view
// on the results page (hidden until the user asks for it) with the figures
// of each target, the drawing of every reply over time, and an alert when a
// target stops answering and when it answers again.

#include <memory>
#include <string>

#include "app/main_window.h"
#include "form/graph_doc.h"
#include "reading/ping_replies.h"

namespace velquin::form {
class OutputDoc;
}
namespace velquin::app {
class RunStatus;
}

namespace velquin::results {


class PingGraph : public app::PageUnit, public form::GraphSource {
 public:
  PingGraph(app::TfrmMain& main, app::RunStatus& status);
  ~PingGraph() override;

  void formShown() override;
  void formClosing() override;

  // Ctrl+G and the menus: shows or hides the pane.
  void Act_GraphExecute();
  // The alert when replies stop, on or off.
  void Act_GraphAlertExecute();
  void CB_GraphRangeChange();

  const reading::PingReplies& replies() const {
    catchUp();
    return follower_.replies();
  }
  form::GraphDoc& graph() { return graph_; }

  // form::GraphSource
  size_t seriesCount() const override { return replies().targets().size(); }
  size_t pointCount(size_t s) const override { return replies().targets()[s]->size(); }
  Run run(size_t s, size_t i) const override {
    const reading::PingSeries& t = *replies().targets()[s];
    return {t.times(i), t.values(i), t.together(i)};
  }
  std::string describe(size_t s, size_t i) const override;

 private:
  void follow();
  void read();
  // Whoever asks for the replies while the output is left unread (nothing
  // shows them) gets them as if they had been read all along.
  void catchUp() const;
  void showFigures();
  void showAlert(bool began);
  void fit(form::Control& box, const std::string& text);
  static int figuresHeight(int lines);
  void keepDrawing();

  app::TfrmMain& main_;
  app::RunStatus& status_;
  form::OutputDoc& doc_;
  form::GraphDoc graph_;
  reading::PingFollower follower_;
  int listener_ = 0;
  size_t textsRead_ = 0;  // the output's texts set, as last read
  bool alert_ = false;
  size_t outages_ = 0;  // outages begun in this run, for the alert
  struct Controls;
  std::unique_ptr<Controls> c_;
};

// "<target>: 応答なし HH:MM:SS から" while the target does not answer;
// "<target>: 応答が戻りました HH:MM:SS (n.n 秒間応答なし)" once it does.
std::string outageText(const std::string& target, const reading::Outage& o);
// Every outage of every target, one line each, the targets in their order.
std::string outageList(const reading::PingReplies& r);

}  // namespace velquin::results
