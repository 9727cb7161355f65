// How the media player control comes to be installed: its class registered with the COM class
// registry (and so in the HKEY_CLASSES_ROOT view), as setup does on an installed system.
#pragma once

namespace mediaplayer {
// Call at start-up, after the media streaming layer's registration; later calls do nothing.
void RegisterClasses();
}  // namespace mediaplayer
