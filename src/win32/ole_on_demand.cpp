// OLE on the window's thread, set up when first needed and kept until the session ends.
#include "win32/ole_on_demand.h"

#include <windows.h>
#include <ole2.h>

#include "win32/system_library.h"

namespace velquin::win32 {

namespace {

// What this thread did: OLE's own state is per thread, and so is ours.
struct ThreadOle {
  bool tried = false;
  bool held = false;
};
thread_local ThreadOle ole;

}  // namespace

bool needOle() {
  if (ole.tried) return ole.held;
  ole.tried = true;
  // S_FALSE: already set up on this thread, to be released all the same.
  const auto init = systemFunction<decltype(&OleInitialize)>(L"ole32.dll", "OleInitialize");
  ole.held = init && SUCCEEDED(init(nullptr));
  return ole.held;
}

bool holdsOle() { return ole.held; }

void releaseOle() {
  if (ole.held) {
    // Loaded by needOle(), so it is there.
    if (const auto done =
            systemFunction<decltype(&OleUninitialize)>(L"ole32.dll", "OleUninitialize"))
      done();
  }
  ole = {};
}

}  // namespace velquin::win32
