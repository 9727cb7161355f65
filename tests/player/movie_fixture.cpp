#include "tests/player/movie_fixture.h"

#include "platform/com/automation.h"
#include "platform/dshow/dshow.h"
#include "platform/mediaplayer/registration.h"

namespace player_test {

using test_support::ProcessEvents;
using test_support::ProcessEventsUntil;

void MovieTest::SetUp() {
  dshow::RegisterClasses();
  mediaplayer::RegisterClasses();
  application = std::make_unique<TApplication>();
  form = MakeComponent<TForm>(nullptr);
  form->SetBounds(0, 0, 480, 360);
  movie = form->CreateComponent<TActiveMovie>();
  movie->SetParent(form.get());
  movie->SetAutoStart(false);
  form->Show();
  ProcessEvents(20);
}

void MovieTest::TearDown() {
  form.reset();
  application.reset();
}

bool MovieTest::OpenAndWait(const std::string& file) {
  movie->SetFileName(com::Utf8ToUtf16(file));
  movie->Open();
  return ProcessEventsUntil([&] { return movie->OpenState() == nsOpen && movie->PlayState() == mpPaused; }, 8000);
}

void MovieTest::WaitForPoll(int ticks) { ProcessEvents(ticks * 50 + 20); }

double MovieTest::PlayerPosition() {
  double position = 0;
  Player().get_CurrentPosition(&position);
  return position;
}

ReportedErrors::ReportedErrors() {
  Application->OnException = [this](TObject*, const std::exception& error) { messages_.push_back(error.what()); };
}

ReportedErrors::~ReportedErrors() {
  if (Application) Application->OnException = nullptr;
}

}  // namespace player_test
