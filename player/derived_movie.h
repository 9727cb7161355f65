// TDerivedMovie_: the host of the system media player control, with the player's fourteen events
// as typed handler slots and its default interface, IMediaPlayer, taken once and kept.
#pragma once

#include <functional>

#include "activex/ole_control.h"
#include "platform/mediaplayer/media_player.h"

// The player's events as the host hands them over (Sender first; strings as the player's BSTRs).
using TDerivedMovie_DVDNotify = std::function<void(TObject* Sender, int EventCode, int EventParam1, int EventParam2)>;
using TDerivedMovie_EndOfStream = std::function<void(TObject* Sender, int Result)>;
using TDerivedMovie_OpenStateChange = std::function<void(TObject* Sender, int OldState, int NewState)>;
using TDerivedMovie_PlayStateChange = std::function<void(TObject* Sender, int OldState, int NewState)>;
using TDerivedMovie_ScriptCommand = std::function<void(TObject* Sender, BSTR scType, BSTR Param)>;
using TDerivedMovie_Buffering = std::function<void(TObject* Sender, VARIANT_BOOL Start)>;
using TDerivedMovie_MarkerHit = std::function<void(TObject* Sender, int MarkerNum)>;
using TDerivedMovie_Warning = std::function<void(TObject* Sender, int WarningType, int Param, BSTR Description)>;
using TDerivedMovie_Disconnect = std::function<void(TObject* Sender, int Result)>;
using TDerivedMovie_PositionChange = std::function<void(TObject* Sender, double oldPosition, double newPosition)>;
using TDerivedMovie_ReadyStateChange = std::function<void(TObject* Sender, int ReadyState)>;
// WM_HELP: the player's own help is shown only while CanShowWMPHelp stays true.
using TDerivedMovie_F1HelpInvoked = std::function<void(TObject* Sender, bool& CanShowWMPHelp)>;

class TDerivedMovie_ : public TOleControl2 {
 public:
  explicit TDerivedMovie_(TComponent* owner);
  ~TDerivedMovie_() override;

  // The event slots, in the order of the descriptor's event ids.
  TOleEvent<int, int, int> OnDVDNotify;        // 1505
  TOleEvent<int> OnEndOfStream;                // 3002
  TOleEvent<int, int> OnOpenStateChange;       // 3011
  TOleEvent<int, int> OnPlayStateChange;       // 3012
  TOleEvent<BSTR, BSTR> OnScriptCommand;       // 3001
  TOleEvent<VARIANT_BOOL> OnBuffering;         // 3003
  TOleEvent<> OnError;                         // 3010
  TOleEvent<int> OnMarkerHit;                  // 3006
  TOleEvent<int, int, BSTR> OnWarning;         // 3009
  TOleEvent<> OnNewStream;                     // 3008
  TOleEvent<int> OnDisconnect;                 // 3004
  TOleEvent<double, double> OnPositionChange;  // 2
  TOleEvent<> OnDisplayModeChange;             // 51
  TOleEvent<int> OnReadyStateChange;           // -609

  TDerivedMovie_F1HelpInvoked OnF1HelpInvoked;

  // The player's IMediaPlayer, taken from its dispatch interface on first use. EIntfCastError
  // when the control has none.
  IMediaPlayer& ControlInterface();

  void Dispatch(TMessage& message) override;

 protected:
  void DescribeControl() override;

 private:
  TEventSlots eventSlots_{*this,
                          {&OnDVDNotify, &OnEndOfStream, &OnOpenStateChange, &OnPlayStateChange, &OnScriptCommand,
                           &OnBuffering, &OnError, &OnMarkerHit, &OnWarning, &OnNewStream, &OnDisconnect,
                           &OnPositionChange, &OnDisplayModeChange, &OnReadyStateChange}};
  ComPtr<IMediaPlayer> intf_;
};
