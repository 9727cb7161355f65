// The application object: its standard error box, the message loop and modal windows.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTimer>

#include "framework/extctrls.h"
#include "framework/forms.h"
#include "framework/skin/sbutton.h"
#include "tests/ui_support/qt_wait.h"
#include "tests/ui_support/scripted_dialogs.h"

namespace {

class ApplicationTest : public testing::Test {
 protected:
  test_support::ScopedDialogs dialogs;
  TApplication application;
};

TEST_F(ApplicationTest, AnExceptionInAHandlerIsShownInTheErrorBoxAndEndsOnlyThatEvent) {
  application.SetTitle("Sonvarra 1.0");
  auto form = MakeComponent<TForm>(nullptr);
  auto* button = form->CreateComponent<TsButton>();
  button->SetParent(form.get());
  int after = 0;
  button->OnClick = [&](TObject*) { throw EConvertError("'abc' is not a valid integer value"); };
  form->Show();
  static_cast<QAbstractButton*>(button->Widget())->click();
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text, "'abc' is not a valid integer value");
  EXPECT_EQ(dialogs->messages[0].caption, "Sonvarra 1.0");
  EXPECT_EQ(dialogs->messages[0].flags & MB_ICONERROR, MB_ICONERROR);

  // the window procedure of the control survives a failing message handler too
  button->WindowProc = [&](TMessage& m) {
    if (m.Msg == WM_USER) throw Exception("from a message");
    button->WndProc(m);
  };
  SendMessageA(button->Handle(), WM_USER, 0, 0);
  ASSERT_EQ(dialogs->messages.size(), 2u);
  EXPECT_EQ(dialogs->messages[1].text, "from a message");

  // and the program goes on: a timer still ticks and a click still works
  TTimer timer(nullptr);
  timer.SetInterval(5);
  timer.OnTimer = [&](TObject*) {
    ++after;
    throw Exception("tick");
  };
  ASSERT_TRUE(test_support::ProcessEventsUntil([&] { return after >= 2; }));
  EXPECT_EQ(dialogs->messages.back().text, "tick");
  button->OnClick = [&](TObject*) { after = -1; };
  static_cast<QAbstractButton*>(button->Widget())->click();
  EXPECT_EQ(after, -1);
}

TEST_F(ApplicationTest, RunEndsOnTerminateAndSystemMessageBoxesGoThroughTheService) {
  QTimer::singleShot(0, [&] { application.Terminate(); });
  application.Run();
  EXPECT_TRUE(application.Terminated());

  dialogs->messageAnswers.push_back(IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, "Again?", "Sonvarra 1.0", MB_YESNO), IDNO);
  ASSERT_EQ(dialogs->messages.size(), 1u);
  EXPECT_EQ(dialogs->messages[0].text, "Again?");
  EXPECT_EQ(dialogs->messages[0].flags, MB_YESNO);
}

TEST_F(ApplicationTest, ShowModalRunsUntilClosedAndAsksCloseQueryFirst) {
  auto dialog = MakeComponent<TForm>(nullptr);
  dialog->SetBorderStyle(TFormBorderStyle::bsDialog);
  dialog->SetBounds(0, 0, 120, 60);
  int asked = 0;
  bool allow = false;
  int shown = 0;
  dialog->OnShow = [&](TObject*) { ++shown; };
  dialog->OnCloseQuery = [&](TObject*, bool& canClose) {
    ++asked;
    canClose = allow;
  };
  QTimer::singleShot(0, [&] {
    EXPECT_TRUE(dialog->Widget()->isVisible());
    EXPECT_EQ(dialog->Widget()->windowModality(), Qt::ApplicationModal);
    dialog->Close();  // refused
    QTimer::singleShot(0, [&] {
      allow = true;
      dialog->Close();
    });
  });
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(shown, 1);
  EXPECT_FALSE(dialog->Visible());
  EXPECT_FALSE(dialog->Widget()->isVisible());
  EXPECT_FALSE(dialog->Modal());
  EXPECT_FALSE(dialog->Resizable());
}

}  // namespace
