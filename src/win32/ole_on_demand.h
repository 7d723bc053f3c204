#pragma once
// OLE on the window's thread, set up at its first need and then kept: an
// assistive tool asking for the output view's object, a file dialog, the
// shell. Most runs need none of these, and setting it up (with the
// libraries it loads) at every start would cost every start its time.

namespace velquin::win32 {

// Sets up OLE on the calling thread at its first call there; later calls
// cost nothing. True while this thread holds it. A thread that already
// holds COM of another kind goes on without (what needs it then works or
// fails as it would).
bool needOle();
// Whether needOle() set OLE up on the calling thread.
bool holdsOle();
// The windows that needed it are gone: OLE is released on the calling
// thread if needOle() set it up there, and the next need sets it up again.
void releaseOle();

}  // namespace velquin::win32
