#include "app/system_components.h"

#include "platform/dshow/registration.h"
#include "platform/mediaplayer/registration.h"

void RegisterSystemComponents() {
  dshow::RegisterClasses();
  mediaplayer::RegisterClasses();  // plays through the streaming layer: registered after it
}
