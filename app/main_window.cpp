#include "app/main_window.h"

#include "app/batch_state.h"
#include "app/engine_deployment.h"
#include "app/pictures.h"
#include "app/termination_request.h"
#include "batch/temporary_output.h"
#include "framework/class_registry.h"
#include "platform/win32/shell32.h"
#include "settings/settings_dialog.h"
#include "settings/settings_file.h"

TForm1* Form1 = nullptr;
std::unique_ptr<Tmpegconverter> Converter;

TForm1::TForm1(TComponent* owner) : TForm(owner) {
  RegisterProgramPictures();
  RegisterComponentClass<TActiveMovie>("TActiveMovie");
  AddShortCuts();
}

TForm1::~TForm1() {
  if (Form1 == this) Form1 = nullptr;
}

void TForm1::DeclarePublished(TPublishedTable& t) {
  t.Field("sSkinManager1", sSkinManager1);
  t.Field("sSkinProvider1", sSkinProvider1);
  t.Field("sHintManager1", sHintManager1);
  t.Field("sSpeedButton1", sSpeedButton1);
  t.Field("sSpeedButton2", sSpeedButton2);
  t.Field("sSpeedButton3", sSpeedButton3);
  t.Field("sSpeedButton4", sSpeedButton4);
  t.Field("sSpeedButton5", sSpeedButton5);
  t.Field("sSpeedButton6", sSpeedButton6);
  t.Field("sSpeedButton7", sSpeedButton7);
  t.Field("sSpeedButton9", sSpeedButton9);
  t.Field("sSpeedButton10", sSpeedButton10);
  t.Field("sSpeedButton11", sSpeedButton11);
  t.Field("sSpeedButton12", sSpeedButton12);
  t.Field("sSpeedButton13", sSpeedButton13);
  t.Field("sSpeedButton14", sSpeedButton14);
  t.Field("Image1", Image1);
  t.Field("sListView1", sListView1);
  t.Field("sLabel1", sLabel1);
  t.Field("sLabel2", sLabel2);
  t.Field("sLabel3", sLabel3);
  t.Field("sLabel4", sLabel4);
  t.Field("sTrackBar1", sTrackBar1);
  t.Field("sDirectoryEdit1", sDirectoryEdit1);
  t.Field("sComboBox1", sComboBox1);
  t.Field("GroupBox3", GroupBox3);
  t.Field("Label5", Label5);
  t.Field("ProgressBar1", ProgressBar1);
  t.Field("OpenDialog1", OpenDialog1);
  t.Field("Timer1", Timer1);
  t.Field("Timer2", Timer2);
  t.Field("ActiveMovie1", ActiveMovie1);

  t.Method("FormCreate", this, &TForm1::FormCreate);
  t.Method("FormDestroy", this, &TForm1::FormDestroy);
  t.Method("sSpeedButton1Click", this, &TForm1::sSpeedButton1Click);
  t.Method("sSpeedButton2Click", this, &TForm1::sSpeedButton2Click);
  t.Method("sSpeedButton3Click", this, &TForm1::sSpeedButton3Click);
  t.Method("sSpeedButton4Click", this, &TForm1::sSpeedButton4Click);
  t.Method("sSpeedButton5Click", this, &TForm1::sSpeedButton5Click);
  t.Method("sSpeedButton6Click", this, &TForm1::sSpeedButton6Click);
  t.Method("sSpeedButton7Click", this, &TForm1::sSpeedButton7Click);
  t.Method("sSpeedButton9Click", this, &TForm1::sSpeedButton9Click);
  t.Method("sSpeedButton10Click", this, &TForm1::sSpeedButton10Click);
  t.Method("sSpeedButton11Click", this, &TForm1::sSpeedButton11Click);
  t.Method("sSpeedButton12Click", this, &TForm1::sSpeedButton12Click);
  t.Method("sSpeedButton13Click", this, &TForm1::sSpeedButton13Click);
  t.Method("sSpeedButton14Click", this, &TForm1::sSpeedButton14Click);
  t.Method("sTrackBar1UserChange", this, &TForm1::sTrackBar1UserChange);
  t.Method("Timer1Timer", this, &TForm1::Timer1Timer);
  t.Method("Timer2Timer", this, &TForm1::Timer2Timer);
  t.Method("ActiveMovie1PositionChange", this, &TForm1::ActiveMovie1PositionChange);
  t.Method("ConvertNext", this, &TForm1::ConvertNext);
}

// Runs before the settings and progress dialogs exist.
void TForm1::FormCreate(TObject*) {
  Converter = std::make_unique<Tmpegconverter>();
  batch::RemoveAbandonedTemporaryFiles();
  CloseOnTerminationRequest(Handle());
  DragAcceptFiles(Handle(), TRUE);
  DeployEngine();
  sDirectoryEdit1->SetText(ReadOutputFolder());
}

void TForm1::FormDestroy(TObject*) {
  StopClosingOnTerminationRequest();
  // The program can end during a batch (its main window closed, a termination request, Halt):
  // the batch stops before anything else, since the error box of a failed save runs a message
  // loop in which its ticks would start the next file; its engine must not run on, nor its file
  // stay behind.
  Timer2->SetEnabled(false);
  if (EngineWatch) EngineWatch->SetEnabled(false);
  if (Converter) Converter->Terminate();
  StopPuttingOutputInPlace();
  batch::RemoveTemporaryFiles();
  const std::unique_ptr<Tmpegconverter> runner = std::move(Converter);  // freed however the save ends
  WriteOutputFolder(sDirectoryEdit1->Text());
}

void TForm1::sSpeedButton5Click(TObject*) { Form2->ShowModal(); }

void TForm1::sSpeedButton6Click(TObject*) {
  ShellExecuteA(Application->Handle(), nullptr, "iexplore", kProductPage, nullptr, SW_RESTORE);
}

void TForm1::sSpeedButton7Click(TObject*) { Close(); }
