#pragma once
// The output view Memo0: a read-only window of our own that draws only the
// lines on screen from the text that the model already holds, so output of
// any size streams at the pipe's speed. It scrolls, selects and copies like
// a read-only edit control, keeps the newest line in sight while the user
// does not look elsewhere, and answers WM_GETTEXT, WM_GETTEXTLENGTH and
// WM_SETTEXT with the whole text for other programs.

#include <memory>

#include "win32/controls.h"

namespace velquin::win32 {

std::unique_ptr<NativeControl> makeOutputView(const NativeParams& p);
const wchar_t* outputViewClass();

}  // namespace velquin::win32
