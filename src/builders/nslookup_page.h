#pragma once
// The nslookup page of the data selection page: a command kind, and for
// "set オプション" one of fifteen options with its yes/No choice or value.

#include <optional>
#include <string>

#include <memory>

#include "app/main_window.h"

namespace velquin::builders {

class NslookupPage : public app::PageUnit {
 public:
  explicit NslookupPage(app::TfrmMain& main);
  ~NslookupPage() override;

  // Change of cmblookup1: shows the fields of the command kind.
  void Act_cmb1_SelectExecute();
  // Change of cmblookup2: shows the yes/No box or the value of the option.
  void Act_cmb2_SelectExecute();
  // Focus entering the query and server fields: empties the field.
  void Edit_lookup1Enter();
  void Edit_lookup2Enter();
  // Button6: writes the command line into Edit1.
  void Act_btnlookup_SetExecute();

 private:
  // The command line of the chosen set option, none when the choices give
  // no line.
  std::optional<std::string> setCommand() const;
  // The command line of command kinds 1 to 7, none for any other kind.
  std::optional<std::string> queryCommand() const;

  app::TfrmMain& main_;
  struct Controls;
  std::unique_ptr<Controls> c_;
};

}  // namespace velquin::builders
