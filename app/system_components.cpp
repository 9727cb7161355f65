#include "app/system_components.h"

#include "platform/dshow/dshow.h"
#include "platform/mediaplayer/media_player.h"

void RegisterSystemComponents() {
  dshow::RegisterClasses();
  mediaplayer::RegisterClasses();  // plays through the streaming layer: registered after it
}
