// A TActiveMovie on a shown form of its own, with the system's player registered, the
// application object for its message handling, and dialogs answered by a script.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "framework/forms.h"
#include "player/active_movie.h"
#include "tests/ui_support/qt_wait.h"
#include "tests/ui_support/scripted_dialogs.h"

namespace player_test {

class MovieTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Opens the file (UTF-8) and waits until it is open, Duration known and the player's own start
  // has been paused again (AutoStart is off). False when that does not happen in time.
  bool OpenAndWait(const std::string& file);
  // Waits for the next few ticks of the control's poll.
  void WaitForPoll(int ticks = 3);
  // The player's own answer, past the control.
  IMediaPlayer& Player() { return movie->Movie()->ControlInterface(); }
  double PlayerPosition();

  test_support::ScopedDialogs dialogs;
  std::unique_ptr<TApplication> application;
  TComponentPtr<TForm> form;
  TActiveMovie* movie = nullptr;
};

// Records what the application reports of errors that escaped an event handler.
class ReportedErrors {
 public:
  ReportedErrors();
  ~ReportedErrors();
  ReportedErrors(const ReportedErrors&) = delete;
  ReportedErrors& operator=(const ReportedErrors&) = delete;
  const std::vector<std::string>& Messages() const { return messages_; }

 private:
  std::vector<std::string> messages_;
};

}  // namespace player_test
