// Everything a caller of the media streaming layer includes.
//
// Threads: a graph is driven from any one thread at a time (its calls are serialised). RenderFile,
// AddSourceFilter and Render may run off the GUI thread: the video renderer's window is then made
// by a message posted to the GUI thread, so it exists before anything the caller posts to the GUI
// thread after RenderFile has returned is handled; a GUI-thread call that needs the window makes
// it at once. IVideoWindow calls made off the GUI thread wait for the GUI thread, as SendMessage
// does: do not make them from a thread the GUI thread waits for. Streaming threads never wait for
// the GUI thread. Events reach the application through IMediaEventEx::SetNotifyWindow, posted to
// the GUI thread.
#pragma once

#include "platform/dshow/class_ids.h"
#include "platform/dshow/control_interfaces.h"
#include "platform/dshow/error_codes.h"
#include "platform/dshow/event_codes.h"
#include "platform/dshow/filter_interfaces.h"
#include "platform/dshow/media_types.h"
#include "platform/dshow/registration.h"
#include "platform/dshow/sample_grabber.h"
#include "platform/dshow/seeking_interface.h"
