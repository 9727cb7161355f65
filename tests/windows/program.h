// The program's start-up and shutdown as a test drives them: private user places, scripted dialogs,
// the three windows created in order, and everything destroyed again by Stop.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "app/main_window.h"
#include "app/progress_dialog.h"
#include "app/system_components.h"
#include "platform/win32/places.h"
#include "settings/settings_dialog.h"
#include "settings/settings_file.h"
#include "tests/support/temp_places.h"
#include "tests/ui_support/qt_wait.h"
#include "tests/ui_support/scripted_dialogs.h"

namespace test_support {

class ProgramTest : public testing::Test {
 protected:
  void Start() {
    RegisterSystemComponents();
    application = std::make_unique<TApplication>();
    application->Initialize();
    application->SetTitle("Sonvarra 1.0");
    application->CreateForm(Form1);
    application->CreateForm(Form2);
    application->CreateForm(Form3);
  }
  void Stop() { application.reset(); }
  void TearDown() override { Stop(); }

  TempPlaces places;
  ScopedDialogs dialogs;
  std::unique_ptr<TApplication> application;
};

}  // namespace test_support
