#include "app/graph_menu.h"

namespace velquin::app {

namespace {

std::string topAction(int ms) { return "Act_GraphTop" + std::to_string(ms); }

void copyPicture(form::GraphDoc& graph, platform::Platform& os) {
  if (!graph.copyPicture || !graph.copyPicture())
    os.showMessage("グラフをクリップボードにコピーできませんでした");
}

void savePicture(form::GraphDoc& graph, platform::Platform& os, const std::string& name) {
  platform::FileDialog d;
  d.filter = "PNG 画像 (*.png)|*.png";
  d.fileName = name;
  d.askBeforeReplace = true;
  d.defaultExtension = "png";
  if (!os.saveDialog(d)) return;
  const std::string& path = d.fileName;
  if (!graph.savePicture || !graph.savePicture(path))
    os.showMessage("グラフの画像を保存できませんでした: " + path);
}

}  // namespace

std::vector<std::string> graphRangeItems() { return {"1 分", "10 分", "1 時間", "すべて"}; }

void addGraphMenu(form::Form& f, form::GraphDoc& graph, platform::Platform& os,
                  std::string pngName) {
  f.addAction({"Act_GraphCopy", "グラフ", "画像としてコピー(&C)",
               [&graph, &os] { copyPicture(graph, os); }});
  f.addAction({"Act_GraphSave", "グラフ", "画像として保存(&S)...",
               [&graph, &os, pngName] { savePicture(graph, os, pngName); }});
  for (int top : kGraphTops)
    f.addAction({topAction(top), "グラフ", "", [&graph, top] { graph.setFixedTop(top); }});
  graph.addMenuItem({.caption = "画像としてコピー(&C)", .action = "Act_GraphCopy"});
  graph.addMenuItem({.caption = "画像として保存(&S)...", .action = "Act_GraphSave"});
  // The fixed tops, then below a line the automatic scale: a line at the
  // head of a submenu would not be drawn.
  auto addTop = [&graph](int top) {
    graph.addMenuItem({.caption = top == 0 ? "自動(&A)" : std::to_string(top) + " ms",
                       .action = topAction(top),
                       .checked = [&graph, top] { return graph.fixedTop() == top; },
                       .separatorBefore = top == 0,
                       .submenu = "縦軸の上限(&Y)"});
  };
  for (int top : kGraphTops)
    if (top != 0) addTop(top);
  addTop(0);
}

}  // namespace velquin::app
