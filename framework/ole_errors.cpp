#include "framework/ole_errors.h"

#include <cstring>

#include "platform/win32/errors.h"

AnsiString OleErrorMessage(HRESULT code) {
  char buffer[512];
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                 static_cast<DWORD>(code), 0, buffer, sizeof buffer, nullptr);
  AnsiString text(buffer, n);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text.empty() ? Format("OLE error %.8x", static_cast<unsigned>(code)) : text;
}

EOleSysError::EOleSysError(HRESULT code) : EOleError(OleErrorMessage(code)), errorCode_(code) {}

HRESULT OleCheck(HRESULT status) {
  if (FAILED(status)) throw EOleSysError(status);
  return status;
}

EOleException TakeOleException(EXCEPINFO& exception) {
  if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
  com::Bstr source = com::Bstr::Attach(exception.bstrSource);
  com::Bstr description = com::Bstr::Attach(exception.bstrDescription);
  com::Bstr helpFile = com::Bstr::Attach(exception.bstrHelpFile);
  exception.bstrSource = exception.bstrDescription = exception.bstrHelpFile = nullptr;
  const HRESULT code = exception.scode ? exception.scode : DISP_E_EXCEPTION;
  AnsiString message = description.Utf8();
  while (!message.empty() &&
         (static_cast<unsigned char>(message.back()) <= ' ' || std::strchr(".,;:!?", message.back())))
    message.pop_back();
  if (message.empty()) message = OleErrorMessage(code);
  return EOleException(message, code, source.Utf8(), helpFile.Utf8(), static_cast<int>(exception.dwHelpContext));
}
