#pragma once
// Find in the output view and the time of each line: the find strip above
// the view on the results page (hidden until the user asks for it), its
// keys, and the choice of showing the times, kept across starts.

#include <memory>

#include "app/main_window.h"

namespace velquin::form {
class OutputDoc;
}

namespace velquin::results {

// The strip's count when the word is nowhere in the output.
inline constexpr const char* kNotFound = "見つかりません";

class OutputFind : public app::PageUnit {
 public:
  explicit OutputFind(app::TfrmMain& main);
  ~OutputFind() override;

  void formShown() override;
  void formClosing() override;

  // Ctrl+F, the view's menu: opens the strip with the focus in its field.
  void Act_FindExecute();
  // Enter, F3, "▼" / Shift+Enter, Shift+F3, "▲": the next or previous
  // match, round past either end.
  void Act_FindNextExecute();
  void Act_FindPrevExecute();
  // Esc, "×": hides the strip; the focus goes back to the view.
  void Act_FindCloseExecute();
  void EditFindChange();
  void CB_FindCaseClick();

 private:
  void setQuery();
  void go(size_t index);
  void showCount();
  // Matching goes on after the word was typed: the first match at or
  // after where the user was is gone to once it is found.
  void seek();

  app::TfrmMain& main_;
  form::OutputDoc& doc_;
  int listener_ = 0;
  size_t seekFrom_ = static_cast<size_t>(-1);  // a match still to go to
  struct Controls;
  std::unique_ptr<Controls> c_;
};

}  // namespace velquin::results
