#pragma once
// The report list of a List control: the system's list view in its virtual
// form, which asks for the text of the cells on screen only, so rows cost
// nothing until they show; each row's latest values drawn as small bars
// (red for a loss), the header's sort mark, the selection told to the model.

#include <memory>

#include "win32/controls.h"

namespace velquin::win32 {

std::unique_ptr<NativeControl> makeListView(const NativeParams& p);

}  // namespace velquin::win32
