#include "app/temporary_output.h"

#include "app/engine_deployment.h"
#include "platform/win32/kernel32.h"
#include "platform/win32/places.h"

AnsiString TemporaryOutputFile(const AnsiString& extension) {
  const AnsiString folder = ShortPathName(win32::TemporaryRoot());
  return folder + "wyl-" + IntToStr(GetCurrentProcessId()) + "." + extension;
}
