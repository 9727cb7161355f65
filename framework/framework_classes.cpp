// The framework's classes by name, for stored layouts.
#include "framework/class_registry.h"
#include "framework/comctrls.h"
#include "framework/extctrls.h"
#include "framework/forms.h"
#include "framework/open_dialog.h"
#include "framework/skin/sbutton.h"
#include "framework/skin/scombobox.h"
#include "framework/skin/sdirectoryedit.h"
#include "framework/skin/sgauge.h"
#include "framework/skin/skin_components.h"
#include "framework/skin/slabel.h"
#include "framework/skin/slistview.h"
#include "framework/skin/sspeedbutton.h"
#include "framework/skin/strackbar.h"
#include "framework/stdctrls.h"

void RegisterFrameworkClasses() {
  static const bool registered = [] {
    RegisterComponentClass<TLabel>("TLabel");
    RegisterComponentClass<TGroupBox>("TGroupBox");
    RegisterComponentClass<TScrollBar>("TScrollBar");
    RegisterComponentClass<TProgressBar>("TProgressBar");
    RegisterComponentClass<TPanel>("TPanel");
    RegisterComponentClass<TImage>("TImage");
    RegisterComponentClass<TTimer>("TTimer");
    RegisterComponentClass<TOpenDialog>("TOpenDialog");
    RegisterComponentClass<TsSpeedButton>("TsSpeedButton");
    RegisterComponentClass<TsLabel>("TsLabel");
    RegisterComponentClass<TsListView>("TsListView");
    RegisterComponentClass<TsTrackBar>("TsTrackBar");
    RegisterComponentClass<TsDirectoryEdit>("TsDirectoryEdit");
    RegisterComponentClass<TsComboBox>("TsComboBox");
    RegisterComponentClass<TsButton>("TsButton");
    RegisterComponentClass<TsGauge>("TsGauge");
    RegisterComponentClass<TsSkinManager>("TsSkinManager");
    RegisterComponentClass<TsSkinProvider>("TsSkinProvider");
    RegisterComponentClass<TsHintManager>("TsHintManager");
    return true;
  }();
  (void)registered;
}
