// Event notification codes of the filter graph (IMediaEvent::GetEvent), with the SDK's values.
#pragma once

#include "platform/win32/wintypes.h"

constexpr LONG EC_COMPLETE = 0x01;    // all data rendered; param1 HRESULT, param2 0
constexpr LONG EC_USERABORT = 0x02;   // the user closed the video window
constexpr LONG EC_ERRORABORT = 0x03;  // an operation was aborted; param1 HRESULT
constexpr LONG EC_TIME = 0x04;
constexpr LONG EC_REPAINT = 0x05;  // a video renderer needs its current frame again
constexpr LONG EC_STREAM_ERROR_STOPPED = 0x06;
constexpr LONG EC_STREAM_ERROR_STILLPLAYING = 0x07;
constexpr LONG EC_ERROR_STILLPLAYING = 0x08;
constexpr LONG EC_PALETTE_CHANGED = 0x09;
constexpr LONG EC_VIDEO_SIZE_CHANGED = 0x0A;  // param1: LOWORD width, HIWORD height
constexpr LONG EC_QUALITY_CHANGE = 0x0B;
constexpr LONG EC_SHUTTING_DOWN = 0x0C;
constexpr LONG EC_CLOCK_CHANGED = 0x0D;
constexpr LONG EC_PAUSED = 0x0E;
constexpr LONG EC_OPENING_FILE = 0x10;
constexpr LONG EC_BUFFERING_DATA = 0x11;
constexpr LONG EC_FULLSCREEN_LOST = 0x12;
constexpr LONG EC_ACTIVATE = 0x13;
constexpr LONG EC_NEED_RESTART = 0x14;
constexpr LONG EC_WINDOW_DESTROYED = 0x15;  // param1: the renderer's IBaseFilter
constexpr LONG EC_DISPLAY_CHANGED = 0x16;
constexpr LONG EC_STARVATION = 0x17;
constexpr LONG EC_OLE_EVENT = 0x18;
constexpr LONG EC_NOTIFY_WINDOW = 0x19;
constexpr LONG EC_STREAM_CONTROL_STOPPED = 0x1A;
constexpr LONG EC_STREAM_CONTROL_STARTED = 0x1B;
constexpr LONG EC_END_OF_SEGMENT = 0x1C;
constexpr LONG EC_SEGMENT_STARTED = 0x1D;
constexpr LONG EC_LENGTH_CHANGED = 0x1E;
constexpr LONG EC_DEVICE_LOST = 0x1F;
constexpr LONG EC_STEP_COMPLETE = 0x24;
constexpr LONG EC_ERRORABORTEX = 0x45;
