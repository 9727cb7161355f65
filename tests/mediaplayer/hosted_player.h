// A control created by class id and hosted by a TestSite, for the tests.
#pragma once

#include "tests/mediaplayer/test_site.h"

namespace mediaplayer_test {

// A control created by class id and hosted by a TestSite: sited, initialised, connected to both
// sinks and (unless told otherwise) in-place active in the site's window. The destructor takes
// it down in the host's order and checks that the control's references balance.
class HostedPlayer {
 public:
  explicit HostedPlayer(bool activate = true);
  ~HostedPlayer();
  HostedPlayer(const HostedPlayer&) = delete;
  HostedPlayer& operator=(const HostedPlayer&) = delete;

  IMediaPlayer* operator->() const { return player_.Get(); }
  IMediaPlayer* Player() const { return player_.Get(); }
  IOleObject* Object() const { return object_.Get(); }
  template <class T>
  ComPtr<T> As() const {
    return object_.As<T>();
  }
  TestSite& Site() { return site_; }
  HWND ControlWindow() const;
  void Activate();

  LONG OpenState() const;
  LONG PlayState() const;
  double Position() const;
  // Runs the event loop until the open state is state (false after the timeout).
  bool WaitForOpenState(LONG state, int milliseconds = 10000);
  bool WaitForPlayState(LONG state, int milliseconds = 10000);
  // Opens the file and waits until it is open; false if it failed to open.
  bool OpenAndWait(const std::string& file);

  // Dispatch access by id, as a host reaches the properties.
  HRESULT GetProperty(DISPID id, VARIANT& value) const;
  HRESULT PutProperty(DISPID id, const VARIANT& value) const;

 private:
  TestSite site_;
  ComPtr<IOleObject> object_;
  ComPtr<IMediaPlayer> player_;
  DWORD eventCookie_ = 0;
  DWORD propertyCookie_ = 0;
};

// The first window under this one whose class name holds "renderer" (in any case), as the
// preview looks for the video renderer's window; null when there is none.
HWND FindRendererWindow(HWND under);

}  // namespace mediaplayer_test
