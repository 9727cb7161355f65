// A request from outside to end the program (Ctrl+C in its terminal, a termination signal from
// the session or a process manager) ends the session of the main window: the window closes as
// Exit closes it, also during a batch, whose engine FormDestroy then stops, and also while a
// modal window waits for the user, who may be gone.
#pragma once

#include "platform/win32/wintypes.h"

// From now on such a request closes this window.
void CloseOnTerminationRequest(HWND mainWindow);
// Requests are handled as if the program had no say again.
void StopClosingOnTerminationRequest();
