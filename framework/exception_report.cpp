#include "framework/exception_report.h"

#include <cstdio>
#include <stdexcept>

namespace {
TExceptionReporter& Reporter() {
  static TExceptionReporter reporter;
  return reporter;
}
}  // namespace

TExceptionReporter SetExceptionReporter(TExceptionReporter reporter) {
  TExceptionReporter previous = std::move(Reporter());
  Reporter() = std::move(reporter);
  return previous;
}

void ReportException(TObject* sender) {
  std::exception_ptr error = std::current_exception();
  if (!error) return;
  if (Reporter()) {
    try {
      Reporter()(sender, error);
      return;
    } catch (...) {
      // a reporter that fails falls back to the console
    }
  }
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "Unknown exception\n");
  }
}
