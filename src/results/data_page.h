#pragma once
// The data saving page: keeps command outputs across runs in Memo1, joined
// by the result separator, and saves them to a text file. The bottom
// panel's "&W" button copies or appends the output view from any page.

#include <string>
#include <string_view>
#include <vector>

#include <memory>

#include "app/main_window.h"
#include "platform/platform.h"

namespace velquin::results {

// Put between two kept results: a line of 48 hyphens on its own line.
inline constexpr std::string_view kResultSeparator =
    "\r\n------------------------------------------------\r\n";

// Told after a save when some character had no form in the system's code
// page and the file holds a stand-in for it; the paths follow, one a line.
inline constexpr const char* kLossyNote =
    "システムの文字コードで表せない文字があったため、"
    "その文字を別の文字に置き換えて保存しました。";

class DataPage : public app::PageUnit {
 public:
  explicit DataPage(app::TfrmMain& main);
  ~DataPage() override;

  void Act_btnNewInpExecute();
  void Act_btnAddInpExecute();
  void Act_btnClearExecute();
  void Act_btnSaveExecute();
  void Act_Memo_ChkExecute();
  void TabSheet3Show();
  void TabSheet3Resize();
  void btnSave2Click();

  // Shared with the batch page.

  // Memo1 gets the separator and then the output view below what it holds.
  void appendResult();
  // Writes the memo's lines, each ended by CR LF, in the system's code page.
  platform::IoResult writeLines(const std::string& path,
                                const form::Control& memo, bool* lossy);
  // SaveDialog1, then the file: the window's caption shows the chosen path
  // and the memo's modified mark is cleared once the file is written.
  enum class SaveOutcome { Cancelled, Failed, Saved };
  SaveOutcome saveMemoAs(form::Control& memo);
  // One message naming the files whose text was not kept exactly.
  void tellLossy(const std::vector<std::string>& paths);

 private:
  app::TfrmMain& main_;
  struct Controls;
  std::unique_ptr<Controls> c_;
  // SaveDialog1: its filter choice and last file name live for the run.
  platform::FileDialog saveDialog1_;
};

}  // namespace velquin::results
