#pragma once
// The drawing of values over time (a control of the Graph kind): every
// series of its GraphDoc, the scales, the point under the mouse, the menu,
// and the picture for the clipboard or a PNG file; and the bar that the
// user drags to size the control docked before it (the Splitter kind).

#include <memory>
#include <string>

#include "win32/controls.h"

namespace velquin::win32 {

std::unique_ptr<NativeControl> makeGraphView(const NativeParams& p);
std::unique_ptr<NativeControl> makeSplitter(const NativeParams& p);

// The bitmap's pixels (32 bits, as a DIB section holds them) as the bytes
// of a PNG file, through the system's image encoder; "" when it could not.
std::string pngBytes(HBITMAP bitmap);

}  // namespace velquin::win32
