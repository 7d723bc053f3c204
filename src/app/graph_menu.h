#pragma once
// What every drawing of replies over time offers, wherever it is shown (the
// results page, the monitor window): the time ranges of its range list, the
// fixed tops of its vertical scale, and the picture and scale items of its
// own menu with their actions.

#include <string>
#include <vector>

#include "form/form.h"
#include "form/graph_doc.h"
#include "platform/platform.h"

namespace velquin::app {

// The time ranges of a graph's range list, in milliseconds (0: everything).
inline constexpr long long kGraphSpans[] = {60'000, 600'000, 3'600'000, 0};
// The items of the range list, one for each span.
std::vector<std::string> graphRangeItems();
// The fixed tops of the vertical scale that the menu offers (0: automatic).
inline constexpr int kGraphTops[] = {0, 50, 100, 200, 500, 1000};

// Adds to the form the actions "Act_GraphCopy", "Act_GraphSave" (a PNG file
// named pngName at first) and "Act_GraphTop<ms>", and to the graph's menu
// their items: copy, save, and the tops in a submenu.
void addGraphMenu(form::Form& form, form::GraphDoc& graph, platform::Platform& os,
                  std::string pngName);

}  // namespace velquin::app
