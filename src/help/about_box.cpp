#include "help/about_box.h"

#include "app/main_window.h"

namespace velquin::help {

using form::Kind;

// Design size of the about box, 96-DPI units.
constexpr int kAboutWidth = 266;
constexpr int kAboutHeight = 351;

TfrmAbout::TfrmAbout(platform::Platform& platform)
    : platform_(platform), form_("frmAbout") {
  form::Form& f = form_;
  f.setCaption("AboutBox");
  f.setDialogFrame(true);
  const int dpi = platform_.screenDpi();
  f.setWindowBounds({0, 0, kAboutWidth * dpi / 96, kAboutHeight * dpi / 96});

  f.add({.name = "Label9", .kind = Kind::Label, .text = app::kProductName,
         .bounds = {24, 24, 200, 20},
         .font = {.bold = true, .height = 16, .color = 0x000080}});
  f.add({.name = "LabelV1", .kind = Kind::Label, .text = kVersionCaption,
         .bounds = {32, 56, 160, 14}});
  f.add({.name = "Label1", .kind = Kind::Label,
         .text = "一部コマンドや機能で使用出来ないものや",
         .bounds = {6, 104, 248, 14}});
  f.add({.name = "Label2", .kind = Kind::Label,
         .text = "機能の一部しか使用出来ないものもあります。",
         .bounds = {6, 122, 248, 14}});
  f.add({.name = "Label10", .kind = Kind::Label, .text = app::kMakerName,
         .bounds = {24, 186, 200, 14}, .style = {.handCursor = true},
         .onClick = [this] { Label10Click(); }});
  f.add({.name = "Label11", .kind = Kind::Label, .text = app::kMakerSite,
         .bounds = {24, 206, 220, 14}, .style = {.handCursor = true},
         .font = {.color = 0x0000FF}, .onClick = [this] { Label11Click(); }});
  f.add({.name = "btnClose", .kind = Kind::Button, .text = "閉じる",
         .bounds = {92, 266, 75, 25}, .style = {.isDefault = true},
         .onClick = [this] { btnCloseClick(); }});
  // The close button has the focus whenever the box comes up.
  f.setFocus(f["btnClose"]);
}

void TfrmAbout::btnCloseClick() { form_.setWindowVisible(false); }

void TfrmAbout::Label10Click() {
  platform_.shellOpen(app::kMakerHome, form_.name());
}

void TfrmAbout::Label11Click() {
  platform_.shellOpen(app::kMakerSite, form_.name());
}

}  // namespace velquin::help
