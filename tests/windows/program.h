// The program's start-up and shutdown as a test drives them: private user places, scripted dialogs,
// the three windows created in order, and everything destroyed again by Stop.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>

#include <filesystem>
#include <memory>
#include <string>

#include "app/engine_deployment.h"
#include "app/file_items.h"
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

inline void Press(TControl* button) { static_cast<QAbstractButton*>(button->Widget())->click(); }

// A stand-in engine: a shell script in place of the deployed "nnn.exe".
inline void ReplaceEngine(const std::string& script) {
  const std::filesystem::path engine = std::filesystem::path(WorkFolder()) / "nnn.exe";
  WriteFile(engine, "#!/bin/sh\n" + script + "\n");
  std::filesystem::permissions(engine, std::filesystem::perms::owner_all);
}

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
  // A small file of that name in the home folder, listed as Add lists a clip of three seconds;
  // for batches whose engine never reads it.
  void ListSmallFile(const std::string& name) {
    const std::string source = places.HomeDir() + "/" + name;
    WriteFile(source, "x");
    FileItems.push_back({source, 0, 4});
    TListItem* row = Form1->sListView1->Items().Add();
    row->SetCaption(name);
    row->AddSubItem("00:00:00 - 00:00:04");
    row->AddSubItem("00:00:04");
  }
  void TearDown() override { Stop(); }

  TempPlaces places;
  ScopedDialogs dialogs;
  std::unique_ptr<TApplication> application;
};

}  // namespace test_support
