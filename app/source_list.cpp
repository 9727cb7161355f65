// The source list: Add (with the engine's duration probe), Delete and Clear.
#include <exception>

#include "app/engine_deployment.h"
#include "app/file_items.h"
#include "app/main_window.h"
#include "app/time_codes.h"
#include "batch/source_probe.h"
#include "framework/dialogs.h"
#include "platform/win32/kernel32.h"

namespace {

AnsiString FailureMessage(const AnsiString& path, const AnsiString& reason) {
  return "Fail in initializing file:\r" + path + "\r\r" + reason;
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
      if (Application->Terminated()) break;  // the program is ending: no more probes, nor their boxes
      ++k;
      Label5->SetCaption("Adding file:\r\n" + path);
      ProgressBar1->SetPosition(k);
      Label5->Repaint();
      ProgressBar1->Repaint();

      if (IsListed(path, sListView1->Items().Count())) continue;
      const batch::ProbeResult probe = batch::ProbeSource(*Converter, EnginePath, path);
      if (!probe.Failure.empty()) {
        ShowMessage(FailureMessage(path, probe.Failure));
        continue;
      }
      const AnsiString duration = SecondsToTime(false, Tmpegconverter::TimeToSeconds(probe.Duration) + 1);
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
