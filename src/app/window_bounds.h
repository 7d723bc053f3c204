#pragma once
// A window's bounds in the state file: 96-DPI units, so that what is
// stored at close is what comes back at the next start at any DPI.

#include <optional>
#include <string>

#include "app/user_state.h"
#include "form/control.h"
#include "platform/platform.h"

namespace velquin::app {

// The bounds stored under the key, in the screen's pixels; nothing when
// none are stored, they are too small, or no screen shows the window's top
// left corner.
std::optional<form::Rect> storedBounds(const UserState& s, const std::string& key,
                                       platform::Platform& os);
void storeBounds(UserState& s, const std::string& key, const form::Rect& b,
                 platform::Platform& os);

}  // namespace velquin::app
