// The user32 window table itself: classes and their widgets, texts, visibility and destruction.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPointer>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/win32/errors.h"
#include "platform/win32/user32.h"
#include "tests/ui_support/qt_wait.h"

namespace {

std::vector<std::pair<HWND, UINT>> received;
std::vector<WPARAM> userParameters;  // of WM_USER, in the order they came

LRESULT CALLBACK Recorder(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE || message == WM_DESTROY || message == WM_NCDESTROY || message == WM_SHOWWINDOW ||
      message == WM_USER)
    received.emplace_back(window, message);
  if (message == WM_USER) userParameters.push_back(wParam);
  if (message == WM_USER + 1) return static_cast<LRESULT>(wParam * 2);
  if (message == WM_GETTEXT && wParam == 99) return -5;  // a window that answers its own text
  return DefWindowProcA(window, message, wParam, lParam);
}

class WindowTable : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSA recorder{};
    recorder.lpfnWndProc = Recorder;
    recorder.lpszClassName = "RecorderWindow";
    RegisterClassA(&recorder);
    win32::SetClassWidgetFactory("RecorderWindow", [](const CREATESTRUCTA& create, QWidget* parent) -> QWidget* {
      auto* label = new QLabel(parent);
      label->setObjectName(create.lpszName);
      return label;
    });
  }
  void SetUp() override {
    received.clear();
    userParameters.clear();
  }
  HWND Make(HWND parent, const char* name, DWORD style = 0) {
    return CreateWindowExA(0, "RecorderWindow", name, style | (parent ? WS_CHILD : WS_POPUP), 1, 2, 30, 20, parent,
                           nullptr, nullptr, nullptr);
  }
};

TEST_F(WindowTable, AClassMakesItsOwnWidgetsAndAnUnknownClassNone) {
  HWND top = Make(nullptr, "top");
  ASSERT_TRUE(top);
  auto* label = qobject_cast<QLabel*>(win32::WidgetFromHandle(top));
  ASSERT_TRUE(label);
  EXPECT_EQ(label->objectName(), "top");
  EXPECT_EQ(win32::HandleFromWidget(label), top);
  EXPECT_EQ(label->geometry(), QRect(1, 2, 30, 20));
  EXPECT_EQ(received.front(), std::make_pair(top, WM_CREATE));
  WNDCLASSA again{};
  again.lpfnWndProc = Recorder;
  again.lpszClassName = "recorderwindow";  // class names ignore letter case
  EXPECT_EQ(RegisterClassA(&again), 0);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
  DestroyWindow(top);
}

TEST_F(WindowTable, TextsGoThroughTheProcedureAndVisibilityIsTheWidgets) {
  HWND top = Make(nullptr, "Caption");
  char text[32];
  EXPECT_EQ(GetWindowTextA(top, text, sizeof text), 7);
  EXPECT_STREQ(text, "Caption");
  SetWindowTextA(top, "A much longer caption");
  EXPECT_EQ(GetWindowTextA(top, text, 7), 6);
  EXPECT_STREQ(text, "A much");
  EXPECT_EQ(win32::WidgetFromHandle(top)->windowTitle().toStdString(), "A much longer caption");
  EXPECT_EQ(SendMessageA(top, WM_GETTEXT, 99, 0), -5);

  EXPECT_FALSE(IsWindowVisible(top));
  EXPECT_FALSE(GetWindowLongA(top, GWL_STYLE) & WS_VISIBLE);
  EXPECT_FALSE(ShowWindow(top, SW_SHOW));
  EXPECT_TRUE(IsWindowVisible(top));
  EXPECT_TRUE(GetWindowLongA(top, GWL_STYLE) & WS_VISIBLE);
  EXPECT_NE(std::find(received.begin(), received.end(), std::make_pair(top, WM_SHOWWINDOW)), received.end());
  EXPECT_TRUE(ShowWindow(top, SW_HIDE));
  EXPECT_FALSE(win32::WidgetFromHandle(top)->isVisible());
  DestroyWindow(top);
}

TEST_F(WindowTable, DestroyingAWindowTellsItAndItsChildrenAndForgetsThemButKeepsBoundWidgets) {
  HWND top = Make(nullptr, "top");
  HWND child = Make(top, "child", WS_VISIBLE);
  HWND grandchild = Make(child, "grandchild");
  EXPECT_EQ(GetParent(grandchild), child);
  QPointer<QWidget> childWidget = win32::WidgetFromHandle(child);

  WNDCLASSA bound{};
  bound.lpfnWndProc = Recorder;
  bound.lpszClassName = "BoundWindow";
  RegisterClassA(&bound);
  QWidget own;
  HWND ownWindow = win32::BindWidget(&own, "BoundWindow");
  ASSERT_TRUE(ownWindow);
  SendMessageA(ownWindow, WM_USER, 0, 0);
  EXPECT_EQ(received.back(), std::make_pair(ownWindow, WM_USER));

  received.clear();
  EXPECT_TRUE(DestroyWindow(top));
  const std::vector<std::pair<HWND, UINT>> expected = {{top, WM_DESTROY},        {child, WM_DESTROY},
                                                       {grandchild, WM_DESTROY}, {grandchild, WM_NCDESTROY},
                                                       {child, WM_NCDESTROY},    {top, WM_NCDESTROY}};
  EXPECT_EQ(received, expected);
  for (HWND gone : {top, child, grandchild}) EXPECT_FALSE(IsWindow(gone));
  EXPECT_FALSE(PostMessageA(child, WM_USER, 0, 0));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(childWidget.isNull());  // made by the table, so deleted with the window

  EXPECT_TRUE(DestroyWindow(ownWindow));
  EXPECT_FALSE(IsWindow(ownWindow));
  EXPECT_EQ(win32::HandleFromWidget(&own), nullptr);  // the widget stays with its owner
}

TEST_F(WindowTable, AMessagePostedToAWindowThatGoesFirstIsDropped) {
  HWND top = Make(nullptr, "top");
  ASSERT_TRUE(PostMessageA(top, WM_USER, 0, 0));
  DestroyWindow(top);
  received.clear();
  test_support::ProcessEvents(20);
  EXPECT_TRUE(received.empty());
}

// Messages from other threads arrive in the order each thread posted them, and one sent from
// another thread waits for its answer from the window's procedure.
TEST_F(WindowTable, MessagesFromOtherThreadsKeepTheirOrderAndSentOnesTheirAnswer) {
  HWND top = Make(nullptr, "top");
  std::atomic<LRESULT> answer{0};
  std::thread poster([&] {
    for (WPARAM i = 0; i < 200; ++i) PostMessageA(top, WM_USER, i, 0);
    answer = SendMessageA(top, WM_USER + 1, 21, 0);
  });
  while (answer == 0) test_support::ProcessEvents(5);
  poster.join();
  EXPECT_EQ(42, answer.load());
  ASSERT_EQ(200u, userParameters.size()) << "the sent message overtook posted ones, or some were lost";
  for (WPARAM i = 0; i < 200; ++i) ASSERT_EQ(i, userParameters[i]);
  DestroyWindow(top);
}

}  // namespace
