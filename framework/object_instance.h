// Window procedures bound to objects: each is a distinct procedure address, as the system's window
// table needs, that calls the function it was made for.
#pragma once

#include <functional>

#include "platform/win32/user32.h"

using TObjectWndProc = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;

// EOutOfResources when every procedure of the pool is taken.
WNDPROC MakeObjectInstance(TObjectWndProc method);
void FreeObjectInstance(WNDPROC procedure);
