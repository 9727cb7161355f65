#include "app/batch_report.h"

namespace {

AnsiString FailureList(const std::vector<TBatchFailure>& failures, int fileCount) {
  AnsiString text = IntToStr(static_cast<long long>(failures.size())) + " of " + IntToStr(fileCount) +
                    (fileCount == 1 ? " file" : " files") + " could not be converted:";
  for (const TBatchFailure& failure : failures) text += "\r\n" + failure.FileName + ": " + failure.Reason;
  return text;
}

}  // namespace

AnsiString BatchSummary(const std::vector<TBatchFailure>& failures, int fileCount) {
  AnsiString text = "Done.";
  if (!failures.empty()) text += "\r\n\r\n" + FailureList(failures, fileCount);
  return text;
}

AnsiString CancelSummary(const std::vector<TBatchFailure>& failures, int fileCount, int left) {
  const int converted = fileCount - left - static_cast<int>(failures.size());
  AnsiString text = "The batch was cancelled. " + IntToStr(converted) + " of " + IntToStr(fileCount) +
                    (fileCount == 1 ? " file was" : " files were") + " converted.";
  if (left == 1) text += "\r\nThe file not converted is listed again.";
  if (left > 1) text += "\r\nThe " + IntToStr(left) + " files not converted are listed again.";
  if (!failures.empty()) text += "\r\n\r\n" + FailureList(failures, fileCount);
  return text;
}
