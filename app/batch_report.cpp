#include "app/batch_report.h"

namespace {

AnsiString FailureList(const std::vector<TBatchFailure>& failures, int fileCount) {
  AnsiString text = IntToStr(static_cast<long long>(failures.size())) + " of " + IntToStr(fileCount) +
                    (fileCount == 1 ? " file" : " files") + " could not be converted:";
  for (const TBatchFailure& failure : failures) text += "\r\n" + failure.FileName + ": " + failure.Reason;
  return text;
}

// The files converted as far as they went.
AnsiString EarlyEndList(const std::vector<TEarlyEndNote>& earlyEnds) {
  AnsiString text = earlyEnds.size() == 1 ? "1 file ended early; what it holds was converted:"
                                          : IntToStr(static_cast<long long>(earlyEnds.size())) +
                                                " files ended early; what they hold was converted:";
  for (const TEarlyEndNote& end : earlyEnds) text += "\r\n" + end.FileName + ": " + end.Note;
  return text;
}

AnsiString Lists(const std::vector<TBatchFailure>& failures, const std::vector<TEarlyEndNote>& earlyEnds,
                 int fileCount) {
  AnsiString text;
  if (!failures.empty()) text += "\r\n\r\n" + FailureList(failures, fileCount);
  if (!earlyEnds.empty()) text += "\r\n\r\n" + EarlyEndList(earlyEnds);
  return text;
}

}  // namespace

AnsiString BatchSummary(const std::vector<TBatchFailure>& failures, const std::vector<TEarlyEndNote>& earlyEnds,
                        int fileCount) {
  return "Done." + Lists(failures, earlyEnds, fileCount);
}

AnsiString CancelSummary(const std::vector<TBatchFailure>& failures, const std::vector<TEarlyEndNote>& earlyEnds,
                         int fileCount, int left) {
  const int converted = fileCount - left - static_cast<int>(failures.size());
  AnsiString text = "The batch was cancelled. " + IntToStr(converted) + " of " + IntToStr(fileCount) +
                    (fileCount == 1 ? " file was" : " files were") + " converted.";
  if (left == 1) text += "\r\nThe file not converted is listed again.";
  if (left > 1) text += "\r\nThe " + IntToStr(left) + " files not converted are listed again.";
  return text + Lists(failures, earlyEnds, fileCount);
}
