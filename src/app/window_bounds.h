#pragma once
// A window's bounds in the state file: 96-DPI units, so that what is
// stored at close is what comes back at the next start at any DPI.

#include <optional>
#include <string>

#include "app/user_state.h"
#include "form/control.h"
#include "form/form.h"
#include "platform/platform.h"

namespace velquin::app {

// The bounds stored under the key, in the screen's pixels; nothing when
// none are stored, they are too small, or no screen shows the window's top
// left corner.
std::optional<form::Rect> storedBounds(const UserState& s, const std::string& key,
                                       platform::Platform& os);
void storeBounds(UserState& s, const std::string& key, const form::Rect& b,
                 platform::Platform& os);

// Opens a window of its own over its owner: brought forward when it is
// shown already (false), otherwise shown (true), centred over the owner
// the first time when it has no bounds of its own yet (placed).
bool showOver(form::Form& f, const form::Rect& owner, bool& placed);

}  // namespace velquin::app
