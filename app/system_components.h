// The system components the program relies on, as an installed system has them: the media
// streaming layer's classes and the media player control.
#pragma once

// Registers them with the COM class registry; later calls do nothing. Call before the main window
// is built, whose preview player refuses to start without the media player.
void RegisterSystemComponents();
