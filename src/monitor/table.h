#pragma once
// The monitor's rows as a table: the reading of each row's losses (on a
// route, whether a hop's loss matters), each row's cells as the ping graph
// writes its figures, the order of a sort by a column, and the text that
// Ctrl+C copies.

#include <iterator>
#include <string>
#include <vector>

#include "monitor/monitor.h"

namespace velquin::monitor {

inline constexpr const char* kColumns[] = {"#",    "ホスト", "損失%",    "送信", "受信", "最新",
                                           "平均", "最小",   "最大",     "ジッター", "状態", "障害"};
inline constexpr int kColumnCount = static_cast<int>(std::size(kColumns));
inline constexpr int kStateColumn = 10;
inline constexpr int kOutagesColumn = 11;

enum class State {
  None,        // nothing answered or lost yet
  Normal,      // "正常"
  Limited,     // "応答制限 (問題なし)": a router that limits its answers
  NoAnswer,    // "応答なし": a hop that never answered, a host down
  Loss,        // "損失": real loss
  Unresolved,  // "名前を解決できません"
  Refused,     // "拒否": a port row whose latest connection was refused
};
const char* stateText(State s);
// The colour of "拒否" (0xRRGGBB), as the graph marks a refused connection.
inline constexpr int kRefusedColor = 0x008C6E;

// A hop's losses, as counted.
struct Losses {
  long long lost = 0;
  long long sent = 0;
};
// Each hop's state from the losses of every hop in order. A hop that lost
// every request: no answer (a router that never answers, which tells
// nothing of the route). Other loss at a hop whose later hops lose nothing:
// a router that limits its answers; loss at
// the host itself (hostReached: the last hop is the host), or at a hop from
// which every later hop loses as much (as the percentages read): real loss.
std::vector<State> routeStates(const std::vector<Losses>& hops, bool hostReached);
// The state of every row shown.
std::vector<State> rowStates(const Monitor& m);

// The cells of a row, one per column, "-" where there is no figure;
// outages: how often it went down. A port row's times are its connect
// times, to a tenth of a millisecond below 10.
std::vector<std::string> rowCells(const Row& r, State s, int outages);

// A click on a column's header sorts by it; a second click on the same
// column, the other way. Rows without a figure in the column come last
// either way; rows that tie keep the order of "#".
class RowOrder {
 public:
  void click(int column);
  int column() const { return column_; }  // -1: the monitor's own order
  bool descending() const { return descending_; }
  std::vector<size_t> order(const Monitor& m) const;

 private:
  int column_ = -1;
  bool descending_ = false;
};

// A header line and a line per row given (in the order given), cells
// tab-separated, every line ending in CR LF.
std::string copyText(const Monitor& m, const std::vector<size_t>& rows);
// A CSV field: quoted when it holds a comma, a quote or a line break.
std::string csvField(const std::string& s);

}  // namespace velquin::monitor
