// The control's place in the class registry, as an installed system has it.
#include "platform/mediaplayer/registration.h"

#include "platform/com/class_registry.h"
#include "platform/mediaplayer/media_player.h"
#include "platform/mediaplayer/player_control.h"

namespace mediaplayer {

void RegisterClasses() {
  if (com::IsClassRegistered(CLSID_MediaPlayer)) return;
  com::RegisterClass(CLSID_MediaPlayer, "Windows Media Player", &MediaPlayerControl::Create);
}

}  // namespace mediaplayer
