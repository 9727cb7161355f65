#include "app/progress_dialog.h"

#include "app/batch_state.h"
#include "app/main_window.h"
#include "batch/temporary_output.h"

TForm3* Form3 = nullptr;

TForm3::~TForm3() {
  if (Form3 == this) Form3 = nullptr;
}

void TForm3::DeclarePublished(TPublishedTable& t) {
  t.Field("sLabel1", sLabel1);
  t.Field("sLabel2", sLabel2);
  t.Field("sGauge1", sGauge1);
  t.Field("sLabel3", sLabel3);
  t.Field("sLabel4", sLabel4);
  t.Field("sGauge2", sGauge2);
  t.Field("sButton1", sButton1);
  t.Method("sButton1Click", this, &TForm3::sButton1Click);
  t.Method("FormCloseQuery", this, &TForm3::FormCloseQuery);
}

// The engine stops; the next tick ends the batch, listing again what was not converted.
void TForm3::sButton1Click(TObject*) {
  if (CancelRequested || !Converting) return;
  CancelRequested = true;
  Converter->Terminate();
  // What the killed engine had written is no result; left there, it could pass for one.
  batch::RemoveTemporaryFiles();
}

// Cancel is the only way out of a running batch.
void TForm3::FormCloseQuery(TObject*, bool& CanClose) { CanClose = !Converting; }
