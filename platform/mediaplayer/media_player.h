// The system media player control as its users see it: class and interface ids, IMediaPlayer (a
// dual interface: every member also reachable through IDispatch by the dispatch id given here), the
// ids of its outgoing events, its enumerations and the compatibility interface that hands out the
// filter graph. A program reaches the control only through CoCreateInstance and these interfaces.
#pragma once

#include "platform/com/automation.h"

inline constexpr CLSID CLSID_MediaPlayer = {
    0x22D6F312, 0xB0F6, 0x11D0, {0x94, 0xAB, 0x00, 0x80, 0xC7, 0x4C, 0x7E, 0x95}};
inline constexpr IID IID_IMediaPlayer = {0x22D6F311, 0xB0F6, 0x11D0, {0x94, 0xAB, 0x00, 0x80, 0xC7, 0x4C, 0x7E, 0x95}};
// The outgoing dispatch interface of the events below.
inline constexpr IID DIID_MediaPlayerEvents = {
    0x2D3A4C40, 0xE711, 0x11D0, {0x94, 0xAB, 0x00, 0x80, 0xC7, 0x4C, 0x7E, 0x95}};
inline constexpr IID IID_IMediaPlayerCompatibility = {
    0x05589FA2, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};

// Open states (OpenState).
enum MPOpenStateConstants : LONG {
  nsClosed = 0,
  nsLoadingASX = 1,
  nsLoadingNSC = 2,
  nsLocating = 3,
  nsConnecting = 4,
  nsOpening = 5,
  nsOpen = 6,
};

// Play states (PlayState).
enum MPPlayStateConstants : LONG {
  mpStopped = 0,
  mpPaused = 1,
  mpPlaying = 2,
  mpWaiting = 3,
  mpScanForward = 4,
  mpScanReverse = 5,
  mpClosed = 6,
};

// Ready states (ReadyState, ReadyStateChange).
enum MPReadyStateConstants : LONG {
  mpReadyStateUninitialized = 0,
  mpReadyStateLoading = 1,
  mpReadyStateInteractive = 3,
  mpReadyStateComplete = 4,
};

// DisplaySize: the video's size in the control's window.
enum MPDisplaySizeConstants : LONG {
  mpDefaultSize = 0,
  mpHalfSize = 1,
  mpDoubleSize = 2,
  mpFullScreen = 3,
  mpFitToSize = 4,
  mpOneSixteenthScreen = 5,
  mpOneFourthScreen = 6,
  mpOneHalfScreen = 7,
};

// DisplayMode: the unit of CurrentPosition, Duration, SelectionStart and SelectionEnd.
enum MPDisplayModeConstants : LONG {
  mpTime = 0,    // seconds
  mpFrames = 1,  // video frames; media without a frame rate stay in seconds
};

// Dispatch ids of IMediaPlayer.
constexpr DISPID DISPID_MP_VOLUME = 19;   // long, hundredths of a decibel, -10000..0
constexpr DISPID DISPID_MP_BALANCE = 20;  // long, -10000 (left) .. 10000 (right)
constexpr DISPID DISPID_MP_SHOWDISPLAY = 22;
constexpr DISPID DISPID_MP_SHOWCONTROLS = 23;
constexpr DISPID DISPID_MP_SHOWPOSITIONCONTROLS = 24;
constexpr DISPID DISPID_MP_SHOWTRACKER = 26;
constexpr DISPID DISPID_MP_ENABLEPOSITIONCONTROLS = 27;
constexpr DISPID DISPID_MP_ENABLETRACKER = 29;
constexpr DISPID DISPID_MP_DISPLAYMODE = 32;
constexpr DISPID DISPID_MP_IMAGESOURCEWIDTH = 1001;
constexpr DISPID DISPID_MP_IMAGESOURCEHEIGHT = 1002;
constexpr DISPID DISPID_MP_DURATION = 1003;
constexpr DISPID DISPID_MP_CANSCAN = 1005;
constexpr DISPID DISPID_MP_CANSEEK = 1006;
constexpr DISPID DISPID_MP_FILENAME = 1007;
constexpr DISPID DISPID_MP_SENDKEYBOARDEVENTS = 1013;
constexpr DISPID DISPID_MP_SENDMOUSECLICKEVENTS = 1014;
constexpr DISPID DISPID_MP_SENDMOUSEMOVEEVENTS = 1015;
constexpr DISPID DISPID_MP_AUTOSTART = 1017;
constexpr DISPID DISPID_MP_AUTOREWIND = 1018;
constexpr DISPID DISPID_MP_INVOKEURLS = 1020;
constexpr DISPID DISPID_MP_ENABLECONTEXTMENU = 1021;
constexpr DISPID DISPID_MP_CLICKTOPLAY = 1025;
constexpr DISPID DISPID_MP_CURRENTPOSITION = 1027;
constexpr DISPID DISPID_MP_RATE = 1028;
constexpr DISPID DISPID_MP_PLAYCOUNT = 1030;  // 0 plays again and again
constexpr DISPID DISPID_MP_DISPLAYSIZE = 1032;
constexpr DISPID DISPID_MP_SELECTIONSTART = 1033;
constexpr DISPID DISPID_MP_SELECTIONEND = 1034;
constexpr DISPID DISPID_MP_ALLOWSCAN = 1035;
constexpr DISPID DISPID_MP_ALLOWCHANGEDISPLAYSIZE = 1036;
constexpr DISPID DISPID_MP_CURSORTYPE = 1044;
constexpr DISPID DISPID_MP_ANIMATIONATSTART = 1045;
constexpr DISPID DISPID_MP_OPENSTATE = 1061;
constexpr DISPID DISPID_MP_SENDOPENSTATECHANGEEVENTS = 1062;
constexpr DISPID DISPID_MP_SENDWARNINGEVENTS = 1063;
constexpr DISPID DISPID_MP_SENDERROREVENTS = 1064;
constexpr DISPID DISPID_MP_PLAYSTATE = 1068;
constexpr DISPID DISPID_MP_SENDPLAYSTATECHANGEEVENTS = 1069;
constexpr DISPID DISPID_MP_BASEURL = 1082;
constexpr DISPID DISPID_MP_DEFAULTFRAME = 1083;
constexpr DISPID DISPID_MP_SHOWCAPTIONING = 1084;
constexpr DISPID DISPID_MP_CAPTIONINGID = 1085;
constexpr DISPID DISPID_MP_SHOWSTATUSBAR = 1086;
constexpr DISPID DISPID_MP_SHOWGOTOBAR = 1088;
constexpr DISPID DISPID_MP_MUTE = 1089;
constexpr DISPID DISPID_MP_LANGUAGE = 1095;
constexpr DISPID DISPID_MP_AUDIOSTREAM = 1096;
constexpr DISPID DISPID_MP_SAMISTYLE = 1097;
constexpr DISPID DISPID_MP_SAMILANG = 1098;
constexpr DISPID DISPID_MP_SAMIFILENAME = 1099;
constexpr DISPID DISPID_MP_VIDEOBORDERWIDTH = 1101;
constexpr DISPID DISPID_MP_VIDEOBORDERCOLOR = 1102;  // OLE_COLOR
constexpr DISPID DISPID_MP_VIDEOBORDER3D = 1103;
constexpr DISPID DISPID_MP_ERRORCODE = 1104;
constexpr DISPID DISPID_MP_ERRORDESCRIPTION = 1105;
constexpr DISPID DISPID_MP_HASERROR = 1106;
constexpr DISPID DISPID_MP_SHOWAUDIOCONTROLS = 1107;
constexpr DISPID DISPID_MP_ENABLEFULLSCREENCONTROLS = 1108;
constexpr DISPID DISPID_MP_WINDOWLESSVIDEO = 1112;
constexpr DISPID DISPID_MP_AUTOSIZE = -500;    // the stock AutoSize
constexpr DISPID DISPID_MP_ENABLED = -514;     // the stock Enabled
constexpr DISPID DISPID_MP_READYSTATE = -525;  // the stock ReadyState
// Methods.
constexpr DISPID DISPID_MP_PLAY = 2001;
constexpr DISPID DISPID_MP_STOP = 2002;
constexpr DISPID DISPID_MP_PAUSE = 2003;
constexpr DISPID DISPID_MP_OPEN = 2004;  // (BSTR file name)
constexpr DISPID DISPID_MP_CANCEL = 2005;

// Dispatch ids of the events (DIID_MediaPlayerEvents), with their arguments in declaration order.
constexpr DISPID DISPID_MPE_POSITIONCHANGE = 2;  // double oldPosition, double newPosition (seconds)
constexpr DISPID DISPID_MPE_DISPLAYMODECHANGE = 51;
constexpr DISPID DISPID_MPE_DVDNOTIFY = 1505;      // long code, long param1, long param2
constexpr DISPID DISPID_MPE_SCRIPTCOMMAND = 3001;  // BSTR type, BSTR parameter
constexpr DISPID DISPID_MPE_ENDOFSTREAM = 3002;    // long result, 0 when the clip played to its end
constexpr DISPID DISPID_MPE_BUFFERING = 3003;      // VARIANT_BOOL start
constexpr DISPID DISPID_MPE_DISCONNECT = 3004;     // long result
constexpr DISPID DISPID_MPE_MARKERHIT = 3006;      // long marker
constexpr DISPID DISPID_MPE_NEWSTREAM = 3008;
constexpr DISPID DISPID_MPE_WARNING = 3009;  // long type, long parameter, BSTR description
constexpr DISPID DISPID_MPE_ERROR = 3010;
constexpr DISPID DISPID_MPE_OPENSTATECHANGE = 3011;   // long oldState, long newState
constexpr DISPID DISPID_MPE_PLAYSTATECHANGE = 3012;   // long oldState, long newState
constexpr DISPID DISPID_MPE_READYSTATECHANGE = -609;  // long readyState

using OLE_COLOR = DWORD;

// Settings that are kept as given and read back; those marked (*) also change what the control
// does. X(Name, dispatch id); strings are BSTRs, colours OLE_COLOR in a LONG.
#define MEDIAPLAYER_SETTING_BOOLS(X)                                          \
  X(ShowControls, DISPID_MP_SHOWCONTROLS) /* (*) */                           \
  X(ShowDisplay, DISPID_MP_SHOWDISPLAY)                                       \
  X(ShowPositionControls, DISPID_MP_SHOWPOSITIONCONTROLS)     /* (*) */       \
  X(ShowTracker, DISPID_MP_SHOWTRACKER)                       /* (*) */       \
  X(EnablePositionControls, DISPID_MP_ENABLEPOSITIONCONTROLS) /* (*) */       \
  X(EnableTracker, DISPID_MP_ENABLETRACKER)                   /* (*) */       \
  X(SendKeyboardEvents, DISPID_MP_SENDKEYBOARDEVENTS)                         \
  X(SendMouseClickEvents, DISPID_MP_SENDMOUSECLICKEVENTS) /* (*) */           \
  X(SendMouseMoveEvents, DISPID_MP_SENDMOUSEMOVEEVENTS)                       \
  X(InvokeURLs, DISPID_MP_INVOKEURLS)                                         \
  X(EnableContextMenu, DISPID_MP_ENABLECONTEXTMENU)                           \
  X(ClickToPlay, DISPID_MP_CLICKTOPLAY) /* (*) */                             \
  X(AllowScan, DISPID_MP_ALLOWSCAN)                                           \
  X(AllowChangeDisplaySize, DISPID_MP_ALLOWCHANGEDISPLAYSIZE) /* (*) */       \
  X(AnimationAtStart, DISPID_MP_ANIMATIONATSTART)                             \
  X(SendOpenStateChangeEvents, DISPID_MP_SENDOPENSTATECHANGEEVENTS) /* (*) */ \
  X(SendWarningEvents, DISPID_MP_SENDWARNINGEVENTS)                 /* (*) */ \
  X(SendErrorEvents, DISPID_MP_SENDERROREVENTS)                     /* (*) */ \
  X(SendPlayStateChangeEvents, DISPID_MP_SENDPLAYSTATECHANGEEVENTS) /* (*) */ \
  X(ShowCaptioning, DISPID_MP_SHOWCAPTIONING)                                 \
  X(ShowStatusBar, DISPID_MP_SHOWSTATUSBAR)                                   \
  X(ShowGotoBar, DISPID_MP_SHOWGOTOBAR)                                       \
  X(VideoBorder3D, DISPID_MP_VIDEOBORDER3D)                                   \
  X(ShowAudioControls, DISPID_MP_SHOWAUDIOCONTROLS)                           \
  X(EnableFullScreenControls, DISPID_MP_ENABLEFULLSCREENCONTROLS)             \
  X(WindowlessVideo, DISPID_MP_WINDOWLESSVIDEO)                               \
  X(Enabled, DISPID_MP_ENABLED) /* (*) */
#define MEDIAPLAYER_SETTING_LONGS(X)              \
  X(CursorType, DISPID_MP_CURSORTYPE)             \
  X(Language, DISPID_MP_LANGUAGE)                 \
  X(AudioStream, DISPID_MP_AUDIOSTREAM)           \
  X(VideoBorderWidth, DISPID_MP_VIDEOBORDERWIDTH) \
  X(VideoBorderColor, DISPID_MP_VIDEOBORDERCOLOR)
#define MEDIAPLAYER_SETTING_STRINGS(X)    \
  X(BaseURL, DISPID_MP_BASEURL)           \
  X(DefaultFrame, DISPID_MP_DEFAULTFRAME) \
  X(CaptioningID, DISPID_MP_CAPTIONINGID) \
  X(SAMIStyle, DISPID_MP_SAMISTYLE)       \
  X(SAMILang, DISPID_MP_SAMILANG)         \
  X(SAMIFileName, DISPID_MP_SAMIFILENAME)

// Every member can fail with an HRESULT; out-parameters are cleared on failure. Strings handed
// out are the caller's to free. Open is asynchronous: the open-state, ready-state and (with
// AutoStart) play-state events follow on the GUI thread; a failure fires Error and leaves the code
// and its description in ErrorCode and ErrorDescription. Play fails with VFW_E_WRONG_STATE while
// no media is open; Pause and Stop do nothing then.
struct IMediaPlayer : IDispatch {
  // The open media.
  virtual HRESULT STDMETHODCALLTYPE get_CurrentPosition(double* position) = 0;  // -1 while nothing is open
  virtual HRESULT STDMETHODCALLTYPE put_CurrentPosition(double position) = 0;   // clamped to the media
  virtual HRESULT STDMETHODCALLTYPE get_Duration(double* duration) = 0;         // 0 while nothing is open
  virtual HRESULT STDMETHODCALLTYPE get_ImageSourceWidth(LONG* width) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ImageSourceHeight(LONG* height) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CanScan(VARIANT_BOOL* canScan) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_CanSeek(VARIANT_BOOL* canSeek) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_FileName(BSTR* name) = 0;
  // Opens at once (the caller waits); an empty name closes the media.
  virtual HRESULT STDMETHODCALLTYPE put_FileName(BSTR name) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_OpenState(LONG* state) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_PlayState(LONG* state) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ReadyState(LONG* state) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ErrorCode(LONG* code) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_ErrorDescription(BSTR* description) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_HasError(VARIANT_BOOL* hasError) = 0;
  // Playback.
  virtual HRESULT STDMETHODCALLTYPE get_AutoStart(VARIANT_BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_AutoStart(VARIANT_BOOL value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_AutoRewind(VARIANT_BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_AutoRewind(VARIANT_BOOL value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_PlayCount(LONG* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_PlayCount(LONG value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Rate(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Rate(double value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SelectionStart(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_SelectionStart(double value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_SelectionEnd(double* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_SelectionEnd(double value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Volume(LONG* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Volume(LONG value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Balance(LONG* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Balance(LONG value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Mute(VARIANT_BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_Mute(VARIANT_BOOL value) = 0;
  // Display.
  virtual HRESULT STDMETHODCALLTYPE get_DisplayMode(LONG* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_DisplayMode(LONG value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_DisplaySize(LONG* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_DisplaySize(LONG value) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_AutoSize(VARIANT_BOOL* value) = 0;
  virtual HRESULT STDMETHODCALLTYPE put_AutoSize(VARIANT_BOOL value) = 0;
  // Methods.
  virtual HRESULT STDMETHODCALLTYPE Play() = 0;
  virtual HRESULT STDMETHODCALLTYPE Stop() = 0;
  virtual HRESULT STDMETHODCALLTYPE Pause() = 0;
  virtual HRESULT STDMETHODCALLTYPE Open(BSTR name) = 0;
  virtual HRESULT STDMETHODCALLTYPE Cancel() = 0;  // abandons an Open still in progress
  // The settings the control keeps and obeys or keeps only, in the order of the lists below.
#define MEDIAPLAYER_DECLARE_PROPERTY(Name, id, Type)             \
  virtual HRESULT STDMETHODCALLTYPE get_##Name(Type* value) = 0; \
  virtual HRESULT STDMETHODCALLTYPE put_##Name(Type value) = 0;
#define MEDIAPLAYER_DECLARE_BOOL(Name, id) MEDIAPLAYER_DECLARE_PROPERTY(Name, id, VARIANT_BOOL)
#define MEDIAPLAYER_DECLARE_LONG(Name, id) MEDIAPLAYER_DECLARE_PROPERTY(Name, id, LONG)
#define MEDIAPLAYER_DECLARE_STRING(Name, id) MEDIAPLAYER_DECLARE_PROPERTY(Name, id, BSTR)
  MEDIAPLAYER_SETTING_BOOLS(MEDIAPLAYER_DECLARE_BOOL)
  MEDIAPLAYER_SETTING_LONGS(MEDIAPLAYER_DECLARE_LONG)
  MEDIAPLAYER_SETTING_STRINGS(MEDIAPLAYER_DECLARE_STRING)
#undef MEDIAPLAYER_DECLARE_STRING
#undef MEDIAPLAYER_DECLARE_LONG
#undef MEDIAPLAYER_DECLARE_BOOL
#undef MEDIAPLAYER_DECLARE_PROPERTY
};
COM_INTERFACE_ID(IMediaPlayer, IID_IMediaPlayer);

// The filter graph that plays the open media (its IUnknown; null with S_FALSE while nothing is open).
struct IMediaPlayerCompatibility : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE get_FilterGraph(IUnknown** graph) = 0;
};
COM_INTERFACE_ID(IMediaPlayerCompatibility, IID_IMediaPlayerCompatibility);
