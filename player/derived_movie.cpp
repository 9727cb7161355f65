#include "player/derived_movie.h"

#include <iterator>

namespace {

// The player's event ids, one per handler slot, in slot order.
constexpr DISPID kEventIds[] = {
    DISPID_MPE_DVDNOTIFY,         DISPID_MPE_ENDOFSTREAM,      DISPID_MPE_OPENSTATECHANGE, DISPID_MPE_PLAYSTATECHANGE,
    DISPID_MPE_SCRIPTCOMMAND,     DISPID_MPE_BUFFERING,        DISPID_MPE_ERROR,           DISPID_MPE_MARKERHIT,
    DISPID_MPE_WARNING,           DISPID_MPE_NEWSTREAM,        DISPID_MPE_DISCONNECT,      DISPID_MPE_POSITIONCHANGE,
    DISPID_MPE_DISPLAYMODECHANGE, DISPID_MPE_READYSTATECHANGE,
};

ControlDescriptor& MovieDescriptor() {
  static ControlDescriptor descriptor = [] {
    ControlDescriptor d;
    d.ControlClassId = CLSID_MediaPlayer;
    d.EventInterfaceId = DIID_MediaPlayerEvents;
    d.EventIdCount = static_cast<std::int32_t>(std::size(kEventIds));
    d.EventIds = kEventIds;
    d.StockFlags = StockEnabled;
    d.DescriptorVersion = EventTableVersion;  // the event table sits where EventTableOffset says
    d.SiteFlags = 0;
    return d;
  }();
  return descriptor;
}

}  // namespace

TDerivedMovie_::TDerivedMovie_(TComponent* owner) : TOleControl2(owner) {}

TDerivedMovie_::~TDerivedMovie_() = default;

void TDerivedMovie_::DescribeControl() {
  ControlDescriptor& descriptor = MovieDescriptor();
  descriptor.EventTableOffset = EventTableOffsetOf(eventSlots_);
  UseDescriptor(descriptor);
}

IMediaPlayer& TDerivedMovie_::ControlInterface() {
  if (!intf_) {
    com::Variant dispatch = GetControlDispatch();
    ComPtr<IMediaPlayer> player;
    if (!dispatch->pdispVal || FAILED(dispatch->pdispVal->QueryInterface(IID_IMediaPlayer, player.PutVoid())) ||
        !player)
      throw EIntfCastError();
    intf_ = std::move(player);
  }
  return *intf_.Get();
}

void TDerivedMovie_::Dispatch(TMessage& message) {
  if (message.Msg == WM_HELP) {
    bool canShowHelp = true;
    if (OnF1HelpInvoked) OnF1HelpInvoked(this, canShowHelp);
    if (canShowHelp) DefaultHandler(message);
    return;
  }
  TOleControl2::Dispatch(message);
}
