// The main window TForm1: source list, preview transport, output folder and format.
#pragma once

#include <memory>
#include <vector>

#include "app/product.h"
#include "engine/mpegconverter.h"
#include "framework/comctrls.h"
#include "framework/extctrls.h"
#include "framework/forms.h"
#include "framework/open_dialog.h"
#include "framework/skin/scombobox.h"
#include "framework/skin/sdirectoryedit.h"
#include "framework/skin/skin_components.h"
#include "framework/skin/slabel.h"
#include "framework/skin/slistview.h"
#include "framework/skin/sspeedbutton.h"
#include "framework/skin/strackbar.h"
#include "framework/stdctrls.h"
#include "player/active_movie.h"

// The one engine runner of the program, made by FormCreate and freed by FormDestroy.
extern std::unique_ptr<Tmpegconverter> Converter;

class TForm1 : public TForm {
 public:
  explicit TForm1(TComponent* owner);
  ~TForm1() override;
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  TsSkinManager* sSkinManager1 = nullptr;
  TsSkinProvider* sSkinProvider1 = nullptr;
  TsHintManager* sHintManager1 = nullptr;
  TsSpeedButton* sSpeedButton4 = nullptr;
  TsSpeedButton* sSpeedButton5 = nullptr;
  TsSpeedButton* sSpeedButton6 = nullptr;
  TsSpeedButton* sSpeedButton7 = nullptr;
  TImage* Image1 = nullptr;
  TsListView* sListView1 = nullptr;
  TsSpeedButton* sSpeedButton1 = nullptr;
  TsSpeedButton* sSpeedButton2 = nullptr;
  TsSpeedButton* sSpeedButton3 = nullptr;
  TsLabel* sLabel4 = nullptr;
  TsSpeedButton* sSpeedButton9 = nullptr;
  TsSpeedButton* sSpeedButton10 = nullptr;
  TsSpeedButton* sSpeedButton11 = nullptr;
  TsTrackBar* sTrackBar1 = nullptr;
  TsSpeedButton* sSpeedButton12 = nullptr;
  TsSpeedButton* sSpeedButton13 = nullptr;
  TsSpeedButton* sSpeedButton14 = nullptr;
  TsLabel* sLabel2 = nullptr;
  TsLabel* sLabel3 = nullptr;
  TsDirectoryEdit* sDirectoryEdit1 = nullptr;
  TsLabel* sLabel1 = nullptr;
  TsComboBox* sComboBox1 = nullptr;
  TGroupBox* GroupBox3 = nullptr;
  TLabel* Label5 = nullptr;
  TProgressBar* ProgressBar1 = nullptr;
  TOpenDialog* OpenDialog1 = nullptr;
  TTimer* Timer1 = nullptr;
  TTimer* Timer2 = nullptr;
  TActiveMovie* ActiveMovie1 = nullptr;  // the hidden preview player

  void FormCreate(TObject* Sender);
  void FormDestroy(TObject* Sender);
  void sSpeedButton1Click(TObject* Sender);  // Add...
  // What Add does with the files chosen in its dialog: each new one probed and listed, failures
  // shown, the progress group for several.
  void AddSourceFiles(const std::vector<AnsiString>& files);
  // Files named on the command line: added as by Add once the window has been shown and painted.
  void AddFilesWhenShown(const std::vector<AnsiString>& arguments);
  void sSpeedButton2Click(TObject* Sender);   // Delete
  void sSpeedButton3Click(TObject* Sender);   // Clear
  void sSpeedButton4Click(TObject* Sender);   // Start
  void sSpeedButton5Click(TObject* Sender);   // Settings
  void sSpeedButton6Click(TObject* Sender);   // Help
  void sSpeedButton7Click(TObject* Sender);   // Exit
  void sSpeedButton9Click(TObject* Sender);   // play / pause
  void sSpeedButton10Click(TObject* Sender);  // stop
  void sSpeedButton11Click(TObject* Sender);  // step back
  void sSpeedButton12Click(TObject* Sender);  // step forward
  void sSpeedButton13Click(TObject* Sender);  // Begin
  void sSpeedButton14Click(TObject* Sender);  // End
  void sTrackBar1UserChange(TObject* Sender);
  void ActiveMovie1PositionChange(TObject* Sender, double OldTimePosition, double NewTimePosition,
                                  Cardinal OldFramePosition, Cardinal NewFramePosition);
  void Timer1Timer(TObject* Sender);
  void Timer2Timer(TObject* Sender);
  // Takes the next row into the engine, or ends the batch when no row is left.
  void ConvertNext();
  // Looks at the engine between Timer2's ticks, so that a finished file is taken at once.
  TTimer* EngineWatch = nullptr;
  void EngineWatchTimer(TObject* Sender);

  void DeclarePublished(TPublishedTable& table) override;
  void Dispatch(TMessage& message) override;

 private:
  void WMDropFiles(TMessage& message);
  void AddShortCuts();
  std::vector<AnsiString> commandLineFiles_;
  bool painted_ = false;
};

extern TForm1* Form1;
