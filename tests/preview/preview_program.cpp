#include "tests/preview/preview_program.h"

#include <map>

#include "child_process.h"
#include "test_media.h"

namespace preview_test {

using test_support::ProcessEventsUntil;

std::string SilentWav(int seconds) {
  static std::map<int, std::string> made;
  if (auto found = made.find(seconds); found != made.end()) return found->second;
  const std::string path = enginebin_test::fresh_folder("silence-" + std::to_string(seconds)) + "/silence.wav";
  const auto result = enginebin_test::run_process({enginebin_test::ffmpeg_program(), "-nostdin", "-v", "error", "-y",
                                                   "-f", "lavfi", "-i", "anullsrc=r=8000:cl=mono", "-t",
                                                   std::to_string(seconds), "-c:a", "pcm_s16le", path});
  EXPECT_EQ(result.exit_code, 0) << result.output;
  made[seconds] = path;
  return path;
}

void PreviewTest::ListFile(const std::string& path, int seconds) {
  batch_test::List(path, "00:00:00", SecondsToTime(false, seconds));
}

bool PreviewTest::SelectAndLoad(int row) {
  Form1->sListView1->SetItemIndex(row);
  return ProcessEventsUntil(
      [&] {
        return Form1->Timer1->Tag() == row && Form1->ActiveMovie1->OpenState() == nsOpen &&
               Form1->ActiveMovie1->PlayState() == mpPaused;
      },
      5000);
}

bool PreviewTest::WaitForClock(const std::string& text, int milliseconds) {
  return ProcessEventsUntil([&] { return Form1->sLabel2->Caption() == text; }, milliseconds);
}

void PreviewTest::Drag(int position) {
  auto* slider = qobject_cast<QSlider*>(Form1->sTrackBar1->Widget());
  ASSERT_TRUE(slider);
  slider->setSliderPosition(position);
}

double PreviewTest::PlayerPosition() {
  double position = -1;
  Form1->ActiveMovie1->Movie()->ControlInterface().get_CurrentPosition(&position);
  return position;
}

}  // namespace preview_test
