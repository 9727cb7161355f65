// How the media streaming layer comes to be installed: the filter graph, the sample grabber and every
// filter class registered with the COM class registry, and the video renderer's window class.
#pragma once

namespace dshow {
// Call once at start-up; later calls do nothing.
void RegisterClasses();
}  // namespace dshow
