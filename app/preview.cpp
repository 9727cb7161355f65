// The preview transport of the main window: Timer1 loads the selected row into the hidden player,
// the buttons and the track bar drive it, the clock and the track bar follow it, and Begin and End
// mark the range of the row that the batch extracts.
#include <utility>

#include "app/batch_state.h"
#include "app/file_items.h"
#include "app/main_window.h"
#include "app/time_codes.h"

namespace {

constexpr char kClockAtRest[] = "00:00:00";

void ResetClock(TForm1& form) {
  form.sTrackBar1->SetPosition(0);
  form.sLabel2->SetCaption(kClockAtRest);
}

// The file of a row, as the player is given it.
WideString RowFile(int row) { return com::Utf8ToUtf16(FileItems.at(static_cast<std::size_t>(row)).SourcePath); }

bool RowListed(int row) { return row >= 0 && static_cast<std::size_t>(row) < FileItems.size(); }

// Begin and End mark the row whose file the player holds: the clock shows where in that file the
// user is. Until Timer1 has loaded a newly selected row, the clock still tells of the previous
// file, and a file that did not open tells of none.
bool PlayerHoldsRow(TForm1& form, int row) {
  return form.Timer1->Tag() == row && RowListed(row) && RowFile(row) == form.ActiveMovie1->FileName() &&
         form.ActiveMovie1->OpenState() == nsOpen;
}

// Begin puts the clock at the begin of the selected row's range, End at its end; a clock beyond the
// other end exchanges the two.
void MarkRange(TForm1& form, bool begin) {
  if (form.ActiveMovie1->Duration() == 0) return;
  const int s = form.sListView1->ItemIndex();
  if (PlayerHoldsRow(form, s)) {
    TListItem* row = form.sListView1->Items().Item(s);
    const AnsiString range = row->SubItem(0);
    AnsiString b = begin ? form.sLabel2->Caption() : Copy(range, 1, 8);
    AnsiString e = begin ? Copy(range, 12, 8) : form.sLabel2->Caption();
    if (Tmpegconverter::TimeToSeconds(b) > Tmpegconverter::TimeToSeconds(e)) std::swap(b, e);
    row->SetSubItem(0, b + " - " + e);
    row->SetSubItem(1, SecondsToTime(false, Tmpegconverter::TimeToSeconds(e) - Tmpegconverter::TimeToSeconds(b)));
  }
  form.sListView1->Repaint();
  form.sListView1->SetItemIndex(s);
}

}  // namespace

void TForm1::Timer1Timer(TObject*) {
  if (Converting) return;
  const int selected = sListView1->ItemIndex();
  // Rows deleted before a tick move the others up: the same index may now be another file.
  if (selected == Timer1->Tag() && !(RowListed(selected) && RowFile(selected) != ActiveMovie1->FileName())) return;
  try {
    if (selected >= 0) {
      ResetClock(*this);
      ActiveMovie1->SetFileName(RowFile(selected));
      ActiveMovie1->Open();
    }
  } catch (...) {
    // a file that cannot be loaded is not retried until the selection changes
  }
  Timer1->SetTag(sListView1->ItemIndex());
}

void TForm1::sSpeedButton9Click(TObject*) {
  switch (ActiveMovie1->PlayState()) {
    case mpStopped:
    case mpClosed:
      ResetClock(*this);
      ActiveMovie1->Play();
      break;
    case mpPaused: ActiveMovie1->Play(); break;
    case mpPlaying: ActiveMovie1->Pause(); break;
    default: break;
  }
}

void TForm1::sSpeedButton10Click(TObject*) {
  ActiveMovie1->Stop();
  ResetClock(*this);
}

// One second back and forward: a step of MediaDuration / Duration is one second in time units.
void TForm1::sSpeedButton11Click(TObject*) { ActiveMovie1->StepBackward(ActiveMovie1->Duration()); }
void TForm1::sSpeedButton12Click(TObject*) { ActiveMovie1->StepForward(ActiveMovie1->Duration()); }

void TForm1::sTrackBar1UserChange(TObject*) {
  ActiveMovie1->Seek(sTrackBar1->Position() * ActiveMovie1->Duration() / sTrackBar1->Max());
}

void TForm1::ActiveMovie1PositionChange(TObject*, double, double NewTimePosition, Cardinal, Cardinal) {
  const double duration = ActiveMovie1->Duration();
  if (duration > 0) sTrackBar1->SetPosition(static_cast<int>(sTrackBar1->Max() * NewTimePosition / duration));
  sLabel2->SetCaption(SecondsToTime(false, NewTimePosition));
}

void TForm1::sSpeedButton13Click(TObject*) { MarkRange(*this, true); }
void TForm1::sSpeedButton14Click(TObject*) { MarkRange(*this, false); }
