// The callback on its own, fed frames by hand as the streaming thread would: what it takes, what
// it refuses, and that one frame at a time goes to the window.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "framework/forms.h"
#include "platform/win32/user32.h"
#include "player/sample_grabber_cb.h"
#include "tests/ui_support/qt_wait.h"

namespace grabber_test {
namespace {

using test_support::ProcessEvents;
using test_support::ProcessEventsUntil;

constexpr UINT kFrameCaptured = WM_APP + 1000;

AM_MEDIA_TYPE VideoType(LONG width, LONG height, WORD bitCount) {
  AM_MEDIA_TYPE type{};
  type.majortype = MEDIATYPE_Video;
  type.subtype = MEDIASUBTYPE_RGB24;
  type.formattype = FORMAT_VideoInfo;
  type.cbFormat = sizeof(VIDEOINFOHEADER);
  type.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(sizeof(VIDEOINFOHEADER)));
  VIDEOINFOHEADER info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = bitCount;
  std::memcpy(type.pbFormat, &info, sizeof info);
  return type;
}

// The completion messages that reach a window.
class CallbackTest : public testing::Test {
 protected:
  void SetUp() override {
    application = std::make_unique<TApplication>();
    form = MakeComponent<TForm>(nullptr);
    window = form->Handle();
    previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Record));
    current = this;
    grabber.SetWindow(window);
  }
  void TearDown() override {
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    current = nullptr;
  }
  void SetType(LONG width, LONG height, WORD bitCount = 24) {
    AM_MEDIA_TYPE type = VideoType(width, height, bitCount);
    grabber.SetMediaType(type);
    FreeMediaType(type);
  }
  static LRESULT CALLBACK Record(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kFrameCaptured) {
      current->messages.push_back({wParam, lParam});
      return 0;
    }
    return CallWindowProcA(current->previous, window, message, wParam, lParam);
  }

  static inline CallbackTest* current = nullptr;
  std::unique_ptr<TApplication> application;
  TComponentPtr<TForm> form;
  HWND window = nullptr;
  WNDPROC previous = nullptr;
  TSampleGrabberCB grabber;
  std::vector<std::pair<WPARAM, LPARAM>> messages;
};

TEST_F(CallbackTest, ABufferShorterThanTheFrameGivesNoCaptureAndTheNextWholeOneDoes) {
  SetType(4, 2);  // rows of 12 bytes
  grabber.SetBurstMode(true);
  grabber.SetBurstCount(2);
  grabber.Arm(true);
  std::vector<BYTE> frame(24 + 64, 0xAB);  // bytes beyond the frame are not the bitmap's
  ASSERT_EQ(S_OK, grabber.BufferCB(0.0, frame.data(), 23));
  EXPECT_FALSE(grabber.Busy());
  EXPECT_EQ(1, grabber.Remaining()) << "the refused frame still counted";
  ASSERT_EQ(S_OK, grabber.BufferCB(0.04, frame.data(), static_cast<LONG>(frame.size())));
  EXPECT_TRUE(grabber.Busy());
  EXPECT_FALSE(grabber.Armed());
  ASSERT_TRUE(ProcessEventsUntil([&] { return !messages.empty(); }, 2000));
  EXPECT_EQ(1u, messages[0].first);
  EXPECT_EQ(0, messages[0].second) << "the last capture asks for the pause";
  double time = -1;
  const auto bitmap = grabber.TakeFrame(time);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(0.04, time);
  EXPECT_EQ(24u, bitmap->SectionSize());
  EXPECT_EQ(4, bitmap->Width());
  grabber.FrameHandled();
  EXPECT_FALSE(grabber.Busy());
}

TEST_F(CallbackTest, AFrameWhoseBitmapCannotBeMadeIsDroppedAndTheNextIsTaken) {
  grabber.SetBurstMode(true);
  grabber.SetBurstCount(0);
  grabber.Arm(false);
  std::vector<BYTE> frame(4 * 2 * 4, 0x11);
  SetType(4, 2, 16);  // no section of 16 bits
  grabber.BufferCB(0.0, frame.data(), static_cast<LONG>(frame.size()));
  SetType(-4, 2);  // nor of a negative width
  grabber.BufferCB(0.0, frame.data(), static_cast<LONG>(frame.size()));
  EXPECT_FALSE(grabber.Busy());
  double time = 0;
  EXPECT_FALSE(grabber.TakeFrame(time));
  SetType(4, 2, 32);
  grabber.BufferCB(0.1, frame.data(), static_cast<LONG>(frame.size()));
  EXPECT_TRUE(grabber.Busy());
  ASSERT_TRUE(ProcessEventsUntil([&] { return !messages.empty(); }, 2000));
  EXPECT_EQ(1, messages[0].second);
  EXPECT_TRUE(grabber.TakeFrame(time));
  grabber.FrameHandled();
  EXPECT_TRUE(grabber.Armed()) << "a count of 0 goes on";
}

TEST_F(CallbackTest, FramesFromAnotherThreadReachTheWindowOneAtATime) {
  SetType(64, 48);
  grabber.SetBurstMode(true);
  grabber.SetBurstCount(0);
  grabber.Arm(false);
  std::atomic<bool> stop{false};
  std::atomic<int> offered{0};
  std::thread streaming([&] {
    std::vector<BYTE> frame(64 * 3 * 48);
    for (BYTE n = 0; !stop.load(); ++n) {
      std::fill(frame.begin(), frame.end(), n);
      grabber.BufferCB(n, frame.data(), static_cast<LONG>(frame.size()));
      offered.fetch_add(1);
    }
  });
  int taken = 0;
  ProcessEventsUntil(
      [&] {
        while (taken < static_cast<int>(messages.size())) {
          double time = 0;
          const auto bitmap = grabber.TakeFrame(time);
          EXPECT_TRUE(bitmap) << "a message without its frame";
          if (bitmap) {
            // The frame is whole: every byte is the one its sample time says.
            const BYTE* bits = bitmap->SectionBits();
            EXPECT_EQ(static_cast<BYTE>(time), bits[0]);
            EXPECT_EQ(bits[0], bits[bitmap->SectionSize() - 1]);
          }
          ++taken;
          EXPECT_EQ(static_cast<int>(messages.size()), taken) << "a second frame was sent before the first was handled";
          grabber.FrameHandled();
        }
        return taken >= 20;
      },
      5000);
  grabber.Cancel();
  stop = true;
  streaming.join();
  EXPECT_GE(taken, 20);
  EXPECT_GT(offered.load(), taken);
}

}  // namespace
}  // namespace grabber_test
