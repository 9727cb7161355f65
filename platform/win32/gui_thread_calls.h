// Calls that other threads hand to the GUI thread. The calls wait in a queue of their own, under a
// lock of their own, and Qt is only told that one is there: what the calling thread prepared is
// visibly handed over to the GUI thread by that lock, not by Qt's event queue alone.
#pragma once

#include <functional>

namespace win32 {

// Runs the call on the GUI thread from its event loop, in the order given; false (and the call
// dropped) when there is no application.
bool PostToGuiThread(std::function<void()> call);
// Runs the call on the GUI thread and returns once it has run (at once when called there).
// Do not call from a thread that the GUI thread waits for.
void CallOnGuiThread(const std::function<void()>& call);

}  // namespace win32
