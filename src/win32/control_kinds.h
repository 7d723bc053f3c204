#pragma once
// The native controls of each kind, made by makeNative.

#include <memory>

#include "win32/controls.h"

namespace velquin::win32 {

// Panels, pages, group boxes, page controls, combo boxes and the status bar.
std::unique_ptr<NativeControl> makeContainer(const NativeParams& p);
std::unique_ptr<NativeControl> makePage(const NativeParams& p);
std::unique_ptr<NativeControl> makePageControl(const NativeParams& p);
std::unique_ptr<NativeControl> makeCombo(const NativeParams& p);
std::unique_ptr<NativeControl> makeStatusBar(const NativeParams& p);
// Fields and memos.
std::unique_ptr<NativeControl> makeEdit(const NativeParams& p);
std::unique_ptr<NativeControl> makeMemo(const NativeParams& p);
// Buttons, check boxes, labels and radio groups.
std::unique_ptr<NativeControl> makeButton(const NativeParams& p);
std::unique_ptr<NativeControl> makeCheckBox(const NativeParams& p);
std::unique_ptr<NativeControl> makeLabel(const NativeParams& p);
std::unique_ptr<NativeControl> makeRadioGroup(const NativeParams& p);

}  // namespace velquin::win32
