// A request from outside to end the program (Ctrl+C in its terminal, a termination signal from
// the session or a process manager) closes the main window, as Exit does; even during a batch,
// whose engine FormDestroy then stops.
#pragma once

#include "platform/win32/wintypes.h"

// From now on such a request closes this window.
void CloseOnTerminationRequest(HWND mainWindow);
// Requests are handled as if the program had no say again.
void StopClosingOnTerminationRequest();
