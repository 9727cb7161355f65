// Where an exception that escapes an event handler goes: the application's standard error box
// (TApplication installs itself), so that it ends only that event.
#pragma once

#include <exception>
#include <functional>

class TObject;

using TExceptionReporter = std::function<void(TObject* sender, std::exception_ptr error)>;

// Installs the reporter and returns the previous one; without one, errors go to the standard error stream.
TExceptionReporter SetExceptionReporter(TExceptionReporter reporter);
// Reports the exception being handled; call it only inside a catch block.
void ReportException(TObject* sender);

// Runs f; an exception that escapes it is reported and goes no further.
template <class F>
void Guarded(TObject* sender, F&& f) {
  try {
    f();
  } catch (...) {
    ReportException(sender);
  }
}
