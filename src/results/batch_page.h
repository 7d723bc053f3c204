#pragma once
// The auto run page: a command file in Memo3, one command line per line,
// with "//" comment lines and ">>" save lines. Running it hands each command
// to the runner in turn and gathers the outputs in the kept results.

#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/run_status.h"
#include "platform/platform.h"
#include "results/data_page.h"

namespace velquin::results {

class BatchPage : public app::PageUnit {
 public:
  BatchPage(app::TfrmMain& main, DataPage& data, app::RunStatus& status);

  void Act_fileOpenExecute();
  void Act_file_DoExecute();
  void btnTeachClick();
  void btnSaveTClick();

 private:
  // Handles one line of the command file; false ends the batch.
  bool runLine(const std::string& line, std::vector<std::string>& lossy);

  app::TfrmMain& main_;
  DataPage& data_;
  app::RunStatus& status_;
  // The controls the handlers use, found once the page is built.
  form::Control& edit1_;
  form::Control& memo1_;
  form::Control* memo3_ = nullptr;
  platform::FileDialog openDialog1_;
};

}  // namespace velquin::results
