// The errors of the framework's OLE layer: EOleError (a failure the framework detects, with its
// text), EOleSysError (a failed status code) and EOleException (an automation exception).
#pragma once

#include "framework/sysutils.h"
#include "platform/com/automation.h"

class EOleError : public Exception {
 public:
  using Exception::Exception;
};

class EOleSysError : public EOleError {
 public:
  // The system's text for the code, or "OLE error %.8x" when it has none.
  explicit EOleSysError(HRESULT code);
  EOleSysError(const AnsiString& message, HRESULT code) : EOleError(message), errorCode_(code) {}
  HRESULT ErrorCode() const { return errorCode_; }

 private:
  HRESULT errorCode_;
};

class EOleException : public EOleSysError {
 public:
  EOleException(const AnsiString& message, HRESULT code, const AnsiString& source, const AnsiString& helpFile,
                int helpContext)
      : EOleSysError(message, code), source_(source), helpFile_(helpFile), helpContext_(helpContext) {}
  const AnsiString& Source() const { return source_; }
  const AnsiString& HelpFile() const { return helpFile_; }
  int HelpContext() const { return helpContext_; }

 private:
  AnsiString source_;
  AnsiString helpFile_;
  int helpContext_;
};

AnsiString OleErrorMessage(HRESULT code);
// Raises EOleSysError for a failure status; returns the status otherwise.
HRESULT OleCheck(HRESULT status);
// The automation exception that an EXCEPINFO describes (its deferred fill-in done first): the
// description with trailing blanks and punctuation trimmed, or the status code's text without one.
// The EXCEPINFO's strings are freed.
EOleException TakeOleException(EXCEPINFO& exception);
