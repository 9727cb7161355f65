// The source list: Add (with the engine's duration probe), Delete and Clear.
#include <exception>

#include "app/engine_deployment.h"
#include "app/file_items.h"
#include "app/main_window.h"
#include "app/temporary_output.h"
#include "app/time_codes.h"
#include "framework/dialogs.h"
#include "platform/win32/kernel32.h"

namespace {

// The probe asks the engine for a small conversion that nothing reads: only the report of its
// input matters, and the engine is stopped as soon as that has arrived.
AnsiString ProbeCommandLine(const AnsiString& path) {
  return EnginePath + "nnn.exe -i " + ShortPathName(path) +
         " -vcodec mpeg4 -r 10 -s 176x144 -acodec amr_nb -ar 8000 -b 1 -ac 1 " + TemporaryOutputFile("3gp");
}

constexpr const char* kNoCodec = "There is no CODEC for this file or can`t support it.";

AnsiString FailureMessage(const AnsiString& path, const AnsiString& reason) {
  return "Fail in initializing file:\r" + path + "\r\r" + reason;
}

// The duration text of the engine's report; empty, with the reason for the user in failure, when
// the file cannot be listed.
AnsiString ProbeDuration(const AnsiString& path, AnsiString& failure) {
  // A pipe or a device may never deliver a byte, and could keep the window waiting.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DEVICE)) {
    failure = "It is not a file but a pipe or a device, which cannot be converted.";
    return "";
  }
  // A file gone since the dialog (or a folder) is not given to the engine: its long name on a
  // command line would be split into pieces the engine takes for other arguments.
  if (!FileExists(path)) {
    failure = kNoCodec;
    return "";
  }
  Converter->Run(ProbeCommandLine(path));
  Converter->ReadOutput();
  const AnsiString duration = Converter->GetDuration();
  const bool timedOut = Converter->ReportTimedOut;
  // "00:00:00.4" is a short clip, not a file without a length.
  const bool belowOneSecond = Converter->ReportsLengthBelowOneSecond();
  Converter->Terminate();
  if (timedOut) {
    failure = "The file did not answer; the drive or network share that holds it may not be responding.";
  } else if (duration == "00:00:00" && !belowOneSecond) {
    failure = kNoCodec;
  }
  return failure.empty() ? duration : AnsiString();
}

bool IsListed(const AnsiString& path, int rows) {
  for (int i = 0; i < rows && i < static_cast<int>(FileItems.size()); ++i) {
    if (FileItems[static_cast<std::size_t>(i)].SourcePath == path) return true;
  }
  return false;
}

}  // namespace

void TForm1::sSpeedButton1Click(TObject*) {
  std::vector<AnsiString> files;
  if (OpenDialog1->Execute()) {
    // The message loop does not run until Add is done: what the dialog covered is painted now.
    Repaint();
    files = OpenDialog1->Files;
  }
  AddSourceFiles(files);
}

void TForm1::AddSourceFiles(const std::vector<AnsiString>& files) {
  // Also when a length cannot be read (the error ends Add at that file), the window is left as
  // after a normal Add: progress group hidden, count up to date, last row selected.
  auto finish = [this] {
    sLabel4->SetCaption(AddedFilesText(sListView1->Items().Count()));
    GroupBox3->Hide();
    sListView1->Repaint();
    if (sListView1->Items().Count() > 0) sListView1->SetItemIndex(sListView1->Items().Count() - 1);
  };

  if (files.size() > 1) {
    GroupBox3->Show();
    ProgressBar1->SetMax(static_cast<int>(files.size()));
    ProgressBar1->SetPosition(0);
    Label5->SetCaption("");
    GroupBox3->Repaint();
  }
  try {
    int k = 0;
    for (const AnsiString& path : files) {
      ++k;
      Label5->SetCaption("Adding file:\r\n" + path);
      ProgressBar1->SetPosition(k);
      Label5->Repaint();
      ProgressBar1->Repaint();

      if (IsListed(path, sListView1->Items().Count())) continue;
      AnsiString failure;
      AnsiString duration = ProbeDuration(path, failure);
      if (!failure.empty()) {
        ShowMessage(FailureMessage(path, failure));
        continue;
      }
      duration = SecondsToTime(false, Tmpegconverter::TimeToSeconds(duration) + 1);
      FileItems.push_back({path, 0, Tmpegconverter::TimeToSeconds(duration)});
      TListItem* row = sListView1->Items().Add();
      row->SetCaption(ExtractFileName(path));
      row->AddSubItem("00:00:00 - " + duration);
      row->AddSubItem(duration);
      sListView1->Repaint();                            // each file shows as it lands
      OpenDialog1->InitialDir = ExtractFilePath(path);  // the next Add starts where this file lies
    }
  } catch (...) {
    finish();
    throw;
  }
  finish();
}

void TForm1::sSpeedButton2Click(TObject*) {
  const int s = sListView1->ItemIndex();
  const int rows = sListView1->Items().Count();
  if (s >= 0 && s < rows) {
    for (int i = s + 1; i < rows; ++i)
      FileItems[static_cast<std::size_t>(i - 1)] = FileItems[static_cast<std::size_t>(i)];
    FileItems.pop_back();
    sListView1->Items().Delete(s);
  }
  sLabel4->SetCaption(AddedFilesText(sListView1->Items().Count()));
  sListView1->Repaint();
}

void TForm1::sSpeedButton3Click(TObject*) {
  sListView1->Items().Clear();
  FileItems.clear();
  sLabel4->SetCaption(AddedFilesText(sListView1->Items().Count()));
}
