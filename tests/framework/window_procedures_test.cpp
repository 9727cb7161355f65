// Windows of the user32 stand-in as the framework's controls use them: procedures replaced and
// chained, Qt events as messages, posted and cross-thread messages, adopted foreign windows.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <atomic>
#include <thread>
#include <vector>

#include "framework/forms.h"
#include "tests/ui_support/qt_wait.h"

namespace {

constexpr UINT kProbe = WM_USER + 7;

// A control that records the messages reaching its own handlers.
class TRecordingControl : public TWinControl {
 public:
  using TWinControl::TWinControl;
  std::vector<UINT> seen;
  int createWndCalls = 0;
  std::vector<QRect> boundsChanges;

  void Dispatch(TMessage& message) override {
    seen.push_back(message.Msg);
    if (message.Msg == kProbe) {
      message.Result = static_cast<LRESULT>(message.WParam) + 1;
      return;
    }
    TWinControl::Dispatch(message);
  }
  void SetBounds(int left, int top, int width, int height) override {
    boundsChanges.emplace_back(left, top, width, height);
    TWinControl::SetBounds(left, top, width, height);
  }

 protected:
  void CreateWnd() override {
    ++createWndCalls;
    TWinControl::CreateWnd();
  }
};

// Takes a window that someone else made as its own when its window is due, as hosts of foreign
// controls do.
class TAdoptingControl : public TRecordingControl {
 public:
  using TRecordingControl::TRecordingControl;
  HWND foreign = nullptr;

 protected:
  void CreateWnd() override { AdoptWindow(foreign); }
};

std::vector<UINT> hookSeen;
WNDPROC hookPrevious = nullptr;
bool hookSwallowsKeyUp = false;

LRESULT CALLBACK Hook(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  hookSeen.push_back(message);
  if (message == WM_KEYUP && hookSwallowsKeyUp) return 0;
  return CallWindowProcA(hookPrevious, window, message, wParam, lParam);
}

int foreignCalls = 0;
LRESULT CALLBACK ForeignProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kProbe) ++foreignCalls;
  return DefWindowProcA(window, message, wParam, lParam);
}

class WindowProcedures : public testing::Test {
 protected:
  void SetUp() override {
    hookSeen.clear();
    hookPrevious = nullptr;
    hookSwallowsKeyUp = false;
    form = MakeComponent<TForm>(nullptr);
    form->SetBounds(10, 10, 200, 100);
    control = form->CreateComponent<TRecordingControl>();
    control->SetParent(form.get());
    control->SetBounds(5, 5, 50, 20);
  }
  TComponentPtr<TForm> form;
  TRecordingControl* control = nullptr;
};

TEST_F(WindowProcedures, HandleIsMadeOnceOnFirstNeedWithTheControlsOwnProcedureAndClass) {
  EXPECT_FALSE(control->HandleAllocated());
  HWND window = control->Handle();
  ASSERT_TRUE(IsWindow(window));
  EXPECT_EQ(control->Handle(), window);
  EXPECT_EQ(control->createWndCalls, 1);
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)), control->ObjectInstance());
  EXPECT_NE(control->ObjectInstance(), static_cast<TWinControl*>(form.get())->ObjectInstance());
  EXPECT_EQ(GetParent(window), form->Handle());
  EXPECT_EQ(FindControl(window), control);
  char name[64];
  EXPECT_GT(GetClassNameA(window, name, sizeof name), 0);
  EXPECT_STREQ(name, "TRecordingControl");
  // the parent's window holds the child's
  std::vector<HWND> children;
  EnumChildWindows(
      form->Handle(),
      [](HWND child, LPARAM list) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&children));
  EXPECT_EQ(children, std::vector<HWND>{window});
}

TEST_F(WindowProcedures, AReplacedProcedureSeesMessagesFirstAndChainsToThePreviousOneUntilRestored) {
  HWND window = control->Handle();
  hookPrevious = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Hook)));
  EXPECT_EQ(hookPrevious, control->ObjectInstance());

  EXPECT_EQ(SendMessageA(window, kProbe, 41, 0), 42);  // answered by the control through the chain
  EXPECT_EQ(hookSeen, std::vector<UINT>{kProbe});

  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hookPrevious));
  control->seen.clear();
  EXPECT_EQ(SendMessageA(window, kProbe, 1, 0), 2);
  EXPECT_EQ(hookSeen.size(), 1u);
  EXPECT_EQ(control->seen, std::vector<UINT>{kProbe});
}

TEST_F(WindowProcedures, QtEventsArriveAsMessagesAndAProcedureThatKeepsOneFromDefaultHandlingConsumesTheEvent) {
  form->Show();
  HWND window = control->Handle();
  hookPrevious = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Hook)));

  control->Widget()->resize(70, 30);
  ASSERT_NE(std::find(hookSeen.begin(), hookSeen.end(), WM_SIZE), hookSeen.end());
  EXPECT_EQ(control->Width(), 70);
  EXPECT_EQ(control->Height(), 30);

  int keyUps = 0;
  WORD lastKey = 0;
  control->OnKeyUp = [&](TObject*, WORD& key, TShiftState) {
    ++keyUps;
    lastKey = key;
  };
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, "a");
  QApplication::sendEvent(control->Widget(), &release);
  EXPECT_EQ(keyUps, 1);
  EXPECT_EQ(lastKey, 'A');

  hookSwallowsKeyUp = true;
  QApplication::sendEvent(control->Widget(), &release);
  EXPECT_EQ(keyUps, 1);  // the hook kept it
  EXPECT_EQ(std::count(hookSeen.begin(), hookSeen.end(), WM_KEYUP), 2);
}

TEST_F(WindowProcedures, PostedMessagesFromAnotherThreadArriveInOrderOnTheGuiThread) {
  HWND window = control->Handle();
  std::vector<WPARAM> order;
  std::vector<std::thread::id> threads;
  control->WindowProc = [&](TMessage& message) {
    if (message.Msg == kProbe + 1) {
      order.push_back(message.WParam);
      threads.push_back(std::this_thread::get_id());
    }
    control->WndProc(message);
  };
  std::atomic<LRESULT> sentResult{0};
  std::thread worker([&] {
    for (WPARAM i = 0; i < 50; ++i) PostMessageA(window, kProbe + 1, i, 0);
    sentResult = SendMessageA(window, kProbe, 9, 0);  // waits for the GUI thread
  });
  ASSERT_TRUE(test_support::ProcessEventsUntil([&] { return sentResult.load() != 0; }));
  worker.join();
  EXPECT_EQ(sentResult.load(), 10);
  ASSERT_EQ(order.size(), 50u);
  for (WPARAM i = 0; i < 50; ++i) EXPECT_EQ(order[i], i);
  for (auto id : threads) EXPECT_EQ(id, std::this_thread::get_id());
  EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x7), kProbe, 0, 0));
}

TEST_F(WindowProcedures, AnAdoptedForeignWindowIsSubclassedAndOnHandleDestructionGivenBackAlive) {
  WNDCLASSA foreignClass{};
  foreignClass.lpfnWndProc = ForeignProc;
  foreignClass.lpszClassName = "ForeignRendererWindow";
  RegisterClassA(&foreignClass);
  HWND foreign =
      CreateWindowExA(0, "ForeignRendererWindow", "", WS_POPUP, 0, 0, 30, 30, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(foreign);
  foreignCalls = 0;
  auto* host = form->CreateComponent<TAdoptingControl>();
  host->foreign = foreign;
  host->SetParent(form.get());
  host->SetBounds(5, 5, 50, 20);
  control = host;

  form->Show();  // the parent's window makes its children's: the host adopts
  EXPECT_EQ(control->Handle(), foreign);
  EXPECT_EQ(control->DefWndProc(), &ForeignProc);
  EXPECT_EQ(GetParent(foreign), form->Handle());
  EXPECT_EQ(control->Widget()->geometry(), QRect(5, 5, 50, 20));
  EXPECT_NE(std::find(control->seen.begin(), control->seen.end(), WM_NULL), control->seen.end());

  control->seen.clear();
  SendMessageA(foreign, kProbe + 2, 0, 0);  // not the control's: passed on to the foreign procedure
  SendMessageA(foreign, kProbe, 0, 0);      // the control's own
  EXPECT_EQ(control->seen, (std::vector<UINT>{kProbe + 2, kProbe}));
  EXPECT_EQ(foreignCalls, 0);

  control->DestroyHandle();
  EXPECT_FALSE(control->HandleAllocated());
  ASSERT_TRUE(IsWindow(foreign));
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(foreign, GWLP_WNDPROC)), &ForeignProc);
  SendMessageA(foreign, kProbe, 0, 0);
  EXPECT_EQ(foreignCalls, 1);
  DestroyWindow(foreign);
}

TEST_F(WindowProcedures, BoundsGoThroughTheOverridableSetBoundsAndReachTheWindow) {
  control->HandleNeeded();
  control->boundsChanges.clear();
  control->SetLeft(12);
  ASSERT_EQ(control->boundsChanges.size(), 1u);
  EXPECT_EQ(control->boundsChanges[0], QRect(12, 5, 50, 20));
  EXPECT_EQ(control->Widget()->geometry(), QRect(12, 5, 50, 20));

  // a procedure may change a placement while it is being made
  hookPrevious = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
      control->Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_WINDOWPOSCHANGING) reinterpret_cast<WINDOWPOS*>(lp)->cx = 33;
        return CallWindowProcA(hookPrevious, w, m, wp, lp);
      })));
  SetWindowPos(control->Handle(), nullptr, 1, 2, 80, 40, SWP_NOZORDER);
  EXPECT_EQ(control->Widget()->geometry(), QRect(1, 2, 33, 40));
  EXPECT_EQ(control->Width(), 33);  // the control follows what its window reports
}

TEST_F(WindowProcedures, NotificationsOfColourAndFontReachTheChildrenThatFollowTheirParent) {
  control->HandleNeeded();
  control->seen.clear();
  form->SetColor(clRed);
  EXPECT_NE(std::find(control->seen.begin(), control->seen.end(), CM_PARENTCOLORCHANGED), control->seen.end());
  EXPECT_EQ(control->Color(), clRed);
  EXPECT_EQ(control->Widget()->palette().color(QPalette::Window), QColor(255, 0, 0));
  control->SetColor(clBlue);
  form->SetColor(clGreen);
  EXPECT_EQ(control->Color(), clBlue);

  control->seen.clear();
  control->SetEnabled(false);
  EXPECT_NE(std::find(control->seen.begin(), control->seen.end(), CM_ENABLEDCHANGED), control->seen.end());
  EXPECT_FALSE(IsWindowEnabled(control->Handle()));
}

}  // namespace
