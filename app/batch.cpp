// The batch: Start, the conversion queue and the progress tick.
#include <algorithm>
#include <memory>

#include "app/batch_progress.h"
#include "app/batch_report.h"
#include "app/batch_state.h"
#include "app/conversion_command.h"
#include "app/file_items.h"
#include "app/main_window.h"
#include "app/output_naming.h"
#include "app/progress_dialog.h"
#include "batch/background_placement.h"
#include "batch/early_end.h"
#include "batch/failure_reasons.h"
#include "batch/output_placement.h"
#include "batch/temporary_output.h"
#include "framework/dialogs.h"
#include "platform/win32/kernel32.h"

namespace {

// A short clip converts in a fraction of a second; waiting for Timer2's next second would
// make a batch of them mostly waiting.
constexpr unsigned kEngineWatchMs = 10;

// An engine that cannot start shows its box before the program ends; the ticks that the box's
// message loop runs meanwhile must not take the next file into the same failure.
bool StartingEngine = false;

class EngineStart {
 public:
  EngineStart() { StartingEngine = true; }
  ~EngineStart() { StartingEngine = false; }
  EngineStart(const EngineStart&) = delete;
  EngineStart& operator=(const EngineStart&) = delete;
};

void ShowFilePercent(int percent) {
  Form3->sGauge1->SetProgress(percent);
  Form3->sLabel2->SetCaption(IntToStr(percent) + "%");
}

void ShowTotalPercent(int percent) {
  Form3->sGauge2->SetProgress(percent);
  Form3->sLabel4->SetCaption(IntToStr(percent) + "%");
}

// A folder text as long as a message can show.
AnsiString Shown(const AnsiString& folder) {
  constexpr std::size_t kLongest = 200;
  return folder.size() <= kLongest ? folder : folder.substr(0, kLongest) + "...";
}

// Refuses, with a message, a batch whose output would have nowhere to go; creates nothing then.
bool PrepareOutputFolder(TsDirectoryEdit& edit) {
  AnsiString folder = edit.Text();
  if (folder.empty()) {
    ShowMessage("Choose an output folder first.");
    return false;
  }
  // Relative to wherever the program was started from, the files would land out of sight.
  if (IsRelativePath(folder)) {
    ShowMessage("The output folder \"" + Shown(folder) + "\" is not a full path.\r\nChoose another output folder.");
    return false;
  }
  if (GetFileAttributesA(folder.c_str()) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILENAME_EXCED_RANGE) {
    ShowMessage("The output folder \"" + Shown(folder) +
                "\" is too long a name for the system.\r\n"
                "Choose another output folder.");
    return false;
  }
  if (!IsPathDelimiter(folder.back())) {
    folder += PathDelim;
    edit.SetText(folder);
  }
  if (const AnsiString reason = batch::FolderCreationProblem(folder); !reason.empty()) {
    ShowMessage("The output folder \"" + folder + "\" cannot be created.\r\n" + reason +
                "\r\nChoose another output folder.");
    return false;
  }
  // Found out now, not after every file has been converted for nothing.
  if (const DWORD error = batch::FolderTakesNewFiles(folder); error != ERROR_SUCCESS) {
    ShowMessage("The output folder \"" + Shown(folder) + "\" cannot take new files.\r\n" + SysErrorMessage(error) +
                "\r\nChoose another output folder.");
    return false;
  }
  return true;
}

// The current file on its way into the output folder, while its copy to another disk lasts.
std::unique_ptr<batch::BackgroundPlacement> Placing;

// The current file's engine has ended: its failure is noted, or its output sets out for
// CurrentTarget (Placing).
void StartPuttingOutputInPlace(const AnsiString& folder) {
  const AnsiString ext = OutputFormatExt();
  const AnsiString& finished = CurrentRun.TemporaryFile;
  if (Converter->ExitCode != 0 || !FileExists(finished)) {
    const batch::FailedRun run{Converter->Output,
                               Converter->ExitCode,
                               CurrentRun.Source,
                               CurrentRun.ShortSource,
                               finished,
                               CurrentTarget,
                               ext,
                               batch::TemporaryFolder()};
    BatchFailures.push_back({ExtractFileName(CurrentRun.Source), batch::EngineFailureReason(run)});
    DeleteFileA(finished.c_str());
    return;
  }
  CurrentRun.EarlyEnd = batch::FindEarlyEnd(Converter->Output);
  Placing = std::make_unique<batch::BackgroundPlacement>(finished, CurrentRun.Source, folder, ext, CurrentTarget);
}

// Once Placing has finished: notes what became of the file; false when it did not reach its place.
bool FinishPuttingOutputInPlace() {
  const std::unique_ptr<batch::BackgroundPlacement> placed = std::move(Placing);
  CurrentTarget = placed->Target();
  const AnsiString name = ExtractFileName(CurrentRun.Source);
  if (placed->Error() == ERROR_SUCCESS) {
    if (CurrentRun.EarlyEnd) BatchEarlyEnds.push_back({name, batch::EarlyEndNote(*CurrentRun.EarlyEnd)});
    return true;
  }
  // After a cancel the file counts as not converted, whatever stopped it.
  if (!CancelRequested) BatchFailures.push_back({name, batch::MoveFailureReason(CurrentTarget, placed->Error())});
  DeleteFileA(CurrentRun.TemporaryFile.c_str());
  return false;
}

// Refuses, with the batch's own advice, a sample rate the chosen format cannot have.
bool CheckSampleRate() {
  const AnsiString ext = OutputFormatExt();
  const std::vector<int> rates = batch::SupportedSampleRates(ext);
  const AnsiString rate = StoredConversionSettings().SampleRate;
  if (rates.empty() || std::find(rates.begin(), rates.end(), StrToIntDef(rate, 0)) != rates.end()) return true;
  ShowMessage(batch::SampleRateAdvice(ext, rate, rates));
  return false;
}

// After a cancel, the list holds what was not converted: the current file first unless it was
// already in place, each with the range marked for it.
void ListUnconverted(TForm1& form, bool withCurrent) {
  TListItems& rows = form.sListView1->Items();
  const std::size_t left = static_cast<std::size_t>(rows.Count()) + (withCurrent ? 1 : 0);
  FileItems.erase(FileItems.begin(), FileItems.end() - static_cast<std::ptrdiff_t>(std::min(left, FileItems.size())));
  if (!withCurrent) return;
  TListItem* row = rows.Insert(0);
  row->SetCaption(CurrentRun.Caption);
  row->AddSubItem(CurrentRun.RangeText);
  row->AddSubItem(CurrentRun.LengthText);
}

void EndBatch(TForm1& form) {
  Converting = false;
  form.Timer2->SetEnabled(false);
  if (form.EngineWatch) form.EngineWatch->SetEnabled(false);
  if (CancelRequested) {
    // The dialog keeps the progress it had reached.
    const int left = form.sListView1->Items().Count();
    form.sLabel4->SetCaption(AddedFilesText(left));
    ShowMessage(CancelSummary(BatchFailures, BatchEarlyEnds, BatchFileCount, left));
  } else {
    ShowFilePercent(100);
    ShowTotalPercent(100);
    FileItems.clear();
    form.sLabel4->SetCaption(AddedFilesText(0));
    ShowMessage(BatchSummary(BatchFailures, BatchEarlyEnds, BatchFileCount));
  }
  Form3->Close();
  form.Show();
}

}  // namespace

void TForm1::sSpeedButton4Click(TObject*) {
  CancelRequested = false;
  sSpeedButton10Click(this);
  if (!CheckSampleRate() || !PrepareOutputFolder(*sDirectoryEdit1)) return;
  Converting = true;
  BatchFileCount = static_cast<int>(FileItems.size());
  BatchFailures.clear();
  BatchEarlyEnds.clear();
  Hide();
  Form3->Show();
  Timer2->SetEnabled(true);
  if (!EngineWatch) {
    EngineWatch = CreateComponent<TTimer>();
    EngineWatch->SetEnabled(false);
    EngineWatch->SetInterval(kEngineWatchMs);
    EngineWatch->OnTimer = [this](TObject* sender) { EngineWatchTimer(sender); };
  }
  EngineWatch->SetEnabled(true);
  Form3->sLabel1->SetCaption("Current Operation:");
  ShowFilePercent(0);
  ShowTotalPercent(0);
  ConvertNext();
}

void TForm1::ConvertNext() {
  TListItems& rows = sListView1->Items();
  if (rows.Count() == 0) {
    EndBatch(*this);
    return;
  }
  const AnsiString source = FileItems.at(FileItems.size() - static_cast<std::size_t>(rows.Count())).SourcePath;
  const TListItem& row = *rows.Item(0);
  CurrentDuration = Tmpegconverter::TimeToSeconds(row.SubItem(1));
  RangeBegin = Copy(row.SubItem(0), 1, 8);
  RangeLength = row.SubItem(1);
  CurrentRun.Caption = row.Caption();
  CurrentRun.RangeText = row.SubItem(0);
  CurrentRun.LengthText = row.SubItem(1);
  rows.Delete(0);
  if (!FileExists(source)) {
    // Its name could not be shortened: on a command line it would fall apart into arguments
    // that the engine takes for others.
    BatchFailures.push_back({ExtractFileName(source), batch::kSourceMissingReason});
    ConvertNext();
    return;
  }
  if (CurrentDuration == 0) {  // the engine would only refuse "-t 00:00:00"
    BatchFailures.push_back({ExtractFileName(source), batch::kEmptyRangeReason});
    ConvertNext();
    return;
  }
  const AnsiString target = UniqueFileName(source, sDirectoryEdit1->Text(), OutputFormatExt());
  CurrentRun.FilePercent = 0;
  Form3->sLabel1->SetCaption("Converting \"" + ExtractFileName(source) + "\":");
  {
    const EngineStart starting;
    ConvertFile(source);
  }
  CurrentTarget = target;
}

void TForm1::Timer2Timer(TObject*) {
  if (StartingEngine) return;
  if (CancelRequested) {
    bool placed = false;
    if (Placing) {
      Placing->Cancel();
      if (!Placing->Finished()) return;  // the copy stops within a moment; a later tick ends the batch
      placed = FinishPuttingOutputInPlace();
    }
    ListUnconverted(*this, !placed);
    EndBatch(*this);
    return;
  }
  if (Placing) {
    if (!Placing->Finished()) return;
    FinishPuttingOutputInPlace();
    ShowFilePercent(0);
    ConvertNext();
    return;
  }
  Converter->ReadOutput();
  try {
    const int elapsed = Converter->GetTime();
    if (CurrentDuration != 0) CurrentRun.FilePercent = FilePercentOf(elapsed, CurrentDuration);
  } catch (const EConvertError&) {
    // A report cut in two by the read: the file keeps the percentage shown last.
  }
  ShowFilePercent(CurrentRun.FilePercent);
  const int fileCount = static_cast<int>(FileItems.size());
  if (fileCount > 0) {
    const int finished = fileCount - sListView1->Items().Count() - 1;
    ShowTotalPercent(TotalPercentOf(CurrentRun.FilePercent, finished, fileCount));
  }
  if (Converter->Finished) {
    StartPuttingOutputInPlace(sDirectoryEdit1->Text());
    if (Placing) return;  // the ticks go on while it is copied; the one after it takes the next row
    ShowFilePercent(0);
    ConvertNext();
  }
}

void TForm1::EngineWatchTimer(TObject* Sender) {
  if (!Converting) return;
  DWORD exitCode = STILL_ACTIVE;
  // A cancel has killed the engine already; a failed query means there is none to wait for.
  const bool ended = CancelRequested || (Placing ? Placing->Finished()
                                                 : !GetExitCodeProcess(Converter->ProcessInfo.hProcess, &exitCode) ||
                                                       exitCode != STILL_ACTIVE);
  if (!ended) return;
  // Should the tick fail, the error box's own message loop must not run it again and again;
  // Timer2 then carries the batch on alone.
  EngineWatch->SetEnabled(false);
  Timer2Timer(Sender);
  if (Converting) EngineWatch->SetEnabled(true);
}

void StopPuttingOutputInPlace() { Placing.reset(); }
