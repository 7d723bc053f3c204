#include "results/ping_graph.h"

#include <algorithm>
#include <iterator>

#include "app/graph_menu.h"
#include "app/run_status.h"
#include "form/line_times.h"
#include "form/output_doc.h"

namespace velquin::results {

using form::Align;
using form::Kind;

namespace {
constexpr const char* kShownValue = "graph.shown";
constexpr const char* kHeightValue = "graph.height";
constexpr const char* kAlertValue = "graph.alert";
constexpr const char* kRangeValue = "graph.range";
constexpr const char* kTopValue = "graph.top";
constexpr const char* kShowCaption = "グラフを表示(&G)";
constexpr const char* kAlertCaption = "応答がなくなったら知らせる(&N)";
constexpr int kPaneHeight = 200;  // at the first showing, 96-DPI units
constexpr int kLineHeight = 15;   // a line of the figures and of the outages
// The figures show this many targets at once, with a scroll bar for more;
// the drawing below keeps at least kLeastDrawing, the pane growing for it.
constexpr int kFigureLines = 5;
constexpr int kLeastDrawing = 80;

std::string clock(long long ms) { return form::LineTimes::format(ms).substr(0, 8); }
}  // namespace

struct PingGraph::Controls {
  form::Control& PanelGraph;
  form::Control& CB_GraphRange;
  form::Control& LblGraph;
  form::Control& LblGraphEvents;
  form::Control& PaintGraph;
  form::Control& SplitterGraph;
};

std::string outageText(const std::string& target, const reading::Outage& o) {
  if (o.to < 0) return target + ": 応答なし " + clock(o.from) + " から";
  return target + ": 応答が戻りました " + clock(o.to) + " (" + app::tenths(o.to - o.from) +
         " 秒間応答なし)";
}

std::string outageList(const reading::PingReplies& r) {
  std::string list;
  for (const auto& t : r.targets()) {
    for (const reading::Outage& o : t->outages()) {
      if (!list.empty()) list += "\r\n";
      list += t->name() + ": 応答なし " + clock(o.from) + " から";
      if (o.to >= 0)
        list += "、応答が戻りました " + clock(o.to) + " (" + app::tenths(o.to - o.from) +
                " 秒間応答なし)";
    }
  }
  return list;
}

PingGraph::PingGraph(app::TfrmMain& main, app::RunStatus& status)
    : main_(main), status_(status), doc_(*main["Memo0"].outputDoc()), graph_(*this) {
  form::Form& f = main_.form();
  f.add({.name = "PanelGraph", .kind = Kind::Panel, .parent = "TabSheet2",
         .bounds = {0, 0, 0, kPaneHeight}, .style = {.align = Align::Top, .bevel = false},
         .visible = false});
  f.add({.name = "PanelGraphBar", .kind = Kind::Panel, .parent = "PanelGraph",
         .bounds = {0, 0, 0, 26}, .style = {.align = Align::Top, .bevel = false}});
  f.add({.name = "LblGraphRange", .kind = Kind::Label, .parent = "PanelGraphBar",
         .text = "表示範囲(&R):", .bounds = {4, 6, 72, 14},
         .style = {.focusControl = "CB_GraphRange"}});
  f.add({.name = "CB_GraphRange", .kind = Kind::ComboBox, .parent = "PanelGraphBar",
         .bounds = {80, 2, 90, 20},
         .style = {.comboStyle = form::ComboStyle::DropDownList},
         .items = app::graphRangeItems(), .itemIndex = 3,
         .onChange = [this] { CB_GraphRangeChange(); }});
  f.add({.name = "LblGraph", .kind = Kind::Memo, .parent = "PanelGraph",
         .bounds = {0, 0, 0, figuresHeight(1)},
         .style = {.align = Align::Top, .scrollBars = form::ScrollBars::Vertical},
         .readOnly = true});
  f.add({.name = "LblGraphEvents", .kind = Kind::Label, .parent = "PanelGraph",
         .bounds = {0, 0, 0, kLineHeight + 2},
         .style = {.align = Align::Top, .autoSize = false}, .visible = false,
         .font = {.color = 0xC00000}});
  f.add({.name = "PaintGraph", .kind = Kind::Graph, .parent = "PanelGraph",
         .style = {.align = Align::Client}, .onResize = [this] { keepDrawing(); }});
  f.add({.name = "SplitterGraph", .kind = Kind::Splitter, .parent = "TabSheet2",
         .bounds = {0, 0, 0, 5}, .style = {.align = Align::Top}, .visible = false});

  f.addAction({"Act_Graph", "グラフ", kShowCaption, [this] { Act_GraphExecute(); }});
  f.addAction({"Act_GraphAlert", "グラフ", kAlertCaption, [this] { Act_GraphAlertExecute(); }});
  f.addShortcut("Ctrl+G", "TabSheet2", "Act_Graph");

  c_.reset(new Controls{f["PanelGraph"], f["CB_GraphRange"], f["LblGraph"],
                        f["LblGraphEvents"], f["PaintGraph"], f["SplitterGraph"]});
  c_->PaintGraph.setGraph(&graph_);

  doc_.addMenuItem({.caption = kShowCaption, .action = "Act_Graph",
                    .checked = [this] { return c_->PanelGraph.visible(); },
                    .separatorBefore = true});
  doc_.addMenuItem({.caption = kAlertCaption, .action = "Act_GraphAlert",
                    .checked = [this] { return alert_; }});

  app::addGraphMenu(f, graph_, main_.platform(), "ping.png");
  graph_.addMenuItem({.caption = kAlertCaption, .action = "Act_GraphAlert",
                      .checked = [this] { return alert_; }, .separatorBefore = true});
  graph_.addMenuItem({.caption = kShowCaption, .action = "Act_Graph",
                      .checked = [this] { return c_->PanelGraph.visible(); }});

  listener_ = doc_.listen([this] { follow(); });
}

PingGraph::~PingGraph() {
  doc_.unlisten(listener_);
  c_->PaintGraph.setGraph(nullptr);
}

void PingGraph::formShown() {
  app::UserState& s = main_.state();
  alert_ = s.flag(kAlertValue, false);
  const int height = std::atoi(s.value(kHeightValue, "0").c_str());
  if (height > 0) {
    form::Rect b = c_->PanelGraph.bounds();
    b.height = std::clamp(height, 40, 2000);
    c_->PanelGraph.setBounds(b);
  }
  const int range = std::atoi(s.value(kRangeValue, "3").c_str());
  if (range >= 0 && range < static_cast<int>(std::size(app::kGraphSpans))) {
    c_->CB_GraphRange.setItemIndex(range);
    graph_.setSpan(app::kGraphSpans[range]);
  }
  const int top = std::atoi(s.value(kTopValue, "0").c_str());
  if (std::find(std::begin(app::kGraphTops), std::end(app::kGraphTops), top) != std::end(app::kGraphTops))
    graph_.setFixedTop(top);
  if (s.flag(kShownValue, false)) Act_GraphExecute();
}

void PingGraph::formClosing() {
  app::UserState& s = main_.state();
  s.setFlag(kShownValue, c_->PanelGraph.visible());
  s.setFlag(kAlertValue, alert_);
  s.setValue(kHeightValue, std::to_string(c_->PanelGraph.bounds().height));
  s.setValue(kRangeValue, std::to_string(c_->CB_GraphRange.itemIndex()));
  s.setValue(kTopValue, std::to_string(graph_.fixedTop()));
}

void PingGraph::Act_GraphExecute() {
  const bool show = !c_->PanelGraph.visible();
  if (show) {
    read();
    showFigures();
  }
  // Hidden with the focus in it (its range list): the focus goes back to
  // the output, where the user reads on.
  form::Form& f = main_.form();
  for (const form::Control* c = f.focused(); !show && c; c = c->parent())
    if (c == &c_->PanelGraph) {
      f.setFocus(f["Memo0"]);
      break;
    }
  c_->SplitterGraph.setVisible(show);
  c_->PanelGraph.setVisible(show);
  if (show) graph_.changed();
}

void PingGraph::Act_GraphAlertExecute() {
  // What came while nobody read it is read first, with the alert still
  // off: an outage that began before the alert was on is not announced.
  if (!alert_) read();
  alert_ = !alert_;
  if (!alert_) status_.setAround("graph", "", "");
  else showAlert(false);
}

void PingGraph::CB_GraphRangeChange() {
  const int i = c_->CB_GraphRange.itemIndex();
  if (i >= 0 && i < static_cast<int>(std::size(app::kGraphSpans))) graph_.setSpan(app::kGraphSpans[i]);
}

std::string PingGraph::describe(size_t s, size_t i) const {
  const reading::PingSeries& t = *replies().targets()[s];
  const int32_t v = t.value(i);
  std::string text = form::LineTimes::format(t.time(i)) + "  " + t.name() + "  ";
  return text + (v >= 0 ? std::to_string(v) + " ms" : reading::lostText(v));
}

// While neither the pane nor the alert is on, nothing needs the replies:
// the output is read once one of them is turned on, not as it arrives.
void PingGraph::follow() {
  if (c_->PanelGraph.visible() || alert_) read();
}

void PingGraph::catchUp() const {
  // Reading changes only what the replies are kept in; the const of the
  // question is kept for what it asks.
  if (!c_->PanelGraph.visible() && !alert_) const_cast<PingGraph*>(this)->read();
}

// Reads what arrived; the figures and the drawing follow while they show.
void PingGraph::read() {
  // A text set since the last reading is read from its start.
  if (doc_.textsSet() != textsRead_) {
    textsRead_ = doc_.textsSet();
    follower_ = reading::PingFollower();
  }
  const reading::PingFollower::Read r = follower_.follow(doc_.text(), doc_.times());
  if (r.restarted) {
    outages_ = 0;
    status_.setAround("graph", "", "");
  }
  if (r.outage) showAlert(true);
  if (!r.grew && !r.restarted && !r.outage) return;
  if (c_->PanelGraph.visible()) {
    showFigures();
    graph_.changed();
  }
}

int PingGraph::figuresHeight(int lines) {
  // Two lines at least, so that its scroll bar has the height of its two
  // arrows; the field's sunken frame and margins around them.
  return std::clamp(lines, 2, kFigureLines) * kLineHeight + 6;
}

void PingGraph::fit(form::Control& box, const std::string& text) {
  if (box.text() == text) return;
  box.setText(text);
  const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
  const int height = &box == &c_->LblGraph ? figuresHeight(lines) : lines * kLineHeight + 2;
  form::Rect b = box.bounds();
  if (b.height == height) return;
  b.height = height;
  box.setBounds(b);
  main_.form().relayout();
}

// However many lines the pane lists above the drawing, and however small
// the user makes the pane, the drawing keeps its least height.
void PingGraph::keepDrawing() {
  int docked = 0;  // what the pane holds above the drawing
  for (const form::Control* c : c_->PanelGraph.children())
    if (c->visible() && c != &c_->PaintGraph) docked += c->bounds().height;
  const int missing = docked + kLeastDrawing - c_->PanelGraph.bounds().height;
  if (missing <= 0 || !c_->PanelGraph.visible()) return;
  form::Rect b = c_->PanelGraph.bounds();
  b.height += missing;
  c_->PanelGraph.setBounds(b);
  main_.form().relayout();
}

void PingGraph::showFigures() {
  const std::string figures = reading::statsText(replies());
  fit(c_->LblGraph, figures);
  c_->LblGraph.setVisible(!figures.empty());
  const std::string events = outageList(replies());
  fit(c_->LblGraphEvents, events);
  c_->LblGraphEvents.setVisible(!events.empty());
}

// StatusBar1 says, in front of the run, how each target that stopped
// answering stands; the user hears of each new outage once.
void PingGraph::showAlert(bool began) {
  size_t count = 0;
  std::string front;
  for (const auto& t : follower_.replies().targets()) {
    count += t->outages().size();
    if (!t->outages().empty()) front += outageText(t->name(), t->outages().back()) + "  ";
  }
  const bool more = count > outages_;
  outages_ = count;
  if (!alert_) return;
  if (began && more) {
    for (const auto& t : follower_.replies().targets())
      if (!t->outages().empty() && t->outages().back().to < 0) {
        main_.platform().alertUser();
        break;
      }
  }
  status_.setAround("graph", front, "");
}

}  // namespace velquin::results
