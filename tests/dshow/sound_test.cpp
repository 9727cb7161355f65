// What is heard, and the position the graph reports, while a file is played, paused, sought and
// played to its end. The timed sound numbers its samples, so the capture tells exactly which part
// of the file reached the device and when.
#include <SDL2/SDL.h>

#include <QElapsedTimer>
#include <chrono>
#include <thread>

#include "tests/dshow/graph_fixture.h"
#include "tests/dshow/heard_sound.h"
#include "tests/dshow/test_media.h"

namespace dshow_test {
namespace {

constexpr int64_t kRate = kTimedRate;
constexpr REFERENCE_TIME kTolerance = UNITS * 40 / 1000;  // what the position may be off by
constexpr int64_t kOneAudioFrame = 1024;                  // samples

int64_t SampleAt(REFERENCE_TIME time) { return time * kRate / UNITS; }
REFERENCE_TIME TimeOf(int64_t sample) { return sample * UNITS / kRate; }

// Whether a sound device that SDL has open asks for sound now, rather than being paused.
bool ADeviceIsPlaying() {
  for (SDL_AudioDeviceID id = 1; id < 32; ++id)
    if (SDL_GetAudioDeviceStatus(id) == SDL_AUDIO_PLAYING) return true;
  return false;
}

class Sound : public GraphTest {
 protected:
  ComPtr<IGraphBuilder> Open(const std::string& clip) {
    ComPtr<IGraphBuilder> graph = NewGraph();
    EXPECT_EQ(S_OK, RenderFile(graph.Get(), Clip(clip)));
    return graph;
  }
  HeardSound Heard() const { return HeardSound(Capture()); }
};

TEST_F(Sound, PlayingFromTheStartSoundsTheFileFromItsFirstSampleOn) {
  ComPtr<IGraphBuilder> graph = Open("timed.wav");
  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Run)));
  Pump(700);
  const REFERENCE_TIME position = Position(graph.Get());
  ASSERT_EQ(S_OK, Control(graph.Get(), &IMediaControl::Stop));

  const HeardSound heard = Heard();
  const std::size_t first = heard.FirstSound();
  ASSERT_NE(HeardSound::npos, first);
  EXPECT_EQ(0, heard.SourceSample(first, 0));
  const std::size_t run = heard.ContinuousRun(first);
  EXPECT_EQ(heard.LastSound() + 1 - first, run) << "the sound has gaps or repeats";
  EXPECT_NEAR(TimedPitch(0), heard.Pitch(first, kRate / 4, kRate), 10);
  EXPECT_NEAR(static_cast<double>(position), static_cast<double>(TimeOf(static_cast<int64_t>(run))), 2.0 * kTolerance);
}

TEST_F(Sound, PausingStopsTheSoundWhereThePositionSaysAndPlayingGoesOnFromThere) {
  ComPtr<IGraphBuilder> graph = Open("timed.wav");
  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Run)));
  Pump(600);
  QElapsedTimer between;
  between.start();
  const REFERENCE_TIME playing = Position(graph.Get());
  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Pause)));
  const REFERENCE_TIME paused = Position(graph.Get());
  const REFERENCE_TIME elapsed = between.nsecsElapsed() / 100;
  Pump(300);
  EXPECT_EQ(paused, Position(graph.Get())) << "the position moves while paused";
  const std::size_t heardWhenPaused = Heard().Frames();

  // What was heard last is where the position stands, and nothing came after the pause.
  HeardSound heard = Heard();
  const std::size_t last = heard.LastSound();
  ASSERT_NE(HeardSound::npos, last);
  const int64_t lastSample = heard.SourceSample(last, SampleAt(paused));
  EXPECT_NEAR(static_cast<double>(paused), static_cast<double>(TimeOf(lastSample + 1)), kTolerance);
  EXPECT_GE(paused, playing);
  EXPECT_LT(paused - playing, kTolerance + elapsed);

  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Run)));
  Pump(400);
  ASSERT_EQ(S_OK, Control(graph.Get(), &IMediaControl::Stop));
  heard = Heard();
  const std::size_t resumed = heard.FirstSound(heardWhenPaused);
  ASSERT_NE(HeardSound::npos, resumed);
  EXPECT_EQ(lastSample + 1, heard.SourceSample(resumed, lastSample)) << "playing did not resume where it paused";
}

TEST_F(Sound, APauseWithinFiftyMillisecondsOfRunLetsNothingBeHeard) {
  ComPtr<IGraphBuilder> graph = Open("timed.mkv");
  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Pause)));
  OAFilterState state;
  ComPtr<IMediaControl> control = graph.As<IMediaControl>();
  ASSERT_EQ(S_OK, control->GetState(5000, &state));
  QElapsedTimer timer;
  timer.start();
  ASSERT_TRUE(SUCCEEDED(control->Run()));
  std::this_thread::sleep_for(std::chrono::milliseconds(45));
  ASSERT_TRUE(SUCCEEDED(control->Pause()));
  // Within the renderer's silent start (100 ms) even on a busy machine; 50 ms when it is idle.
  ASSERT_LT(timer.elapsed(), 95);
  Pump(300);
  EXPECT_EQ(0, Position(graph.Get()));
  ASSERT_EQ(S_OK, control->Stop());
  EXPECT_EQ(HeardSound::npos, Heard().FirstSound()) << "sound reached the device";
}

TEST_F(Sound, TheDeviceIsPausedWhileTheGraphIsAndPlayingAgainStartsSilently) {
  ComPtr<IGraphBuilder> graph = Open("timed.wav");
  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Pause)));
  Pump(100);
  EXPECT_FALSE(ADeviceIsPlaying()) << "the paused graph keeps the device asking for sound";
  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Run)));
  Pump(400);
  EXPECT_TRUE(ADeviceIsPlaying());
  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Pause)));
  EXPECT_FALSE(ADeviceIsPlaying());
  const std::size_t heardWhenPaused = Heard().Frames();
  Pump(200);
  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Run)));
  Pump(300);
  ASSERT_EQ(S_OK, Control(graph.Get(), &IMediaControl::Stop));

  // Each start sounds the file where it stood, with nothing before it.
  const HeardSound heard = Heard();
  const std::size_t first = heard.FirstSound();
  ASSERT_NE(HeardSound::npos, first);
  EXPECT_EQ(0, heard.SourceSample(first, 0));
  const std::size_t run = heard.ContinuousRun(first);
  const std::size_t resumed = heard.FirstSound(first + run);
  ASSERT_NE(HeardSound::npos, resumed);
  EXPECT_GE(resumed, heardWhenPaused) << "sound while paused";
  EXPECT_EQ(static_cast<int64_t>(run), heard.SourceSample(resumed, static_cast<int64_t>(run)));
}

TEST_F(Sound, SeekingLandsOnTheSampleAskedForWhetherPausedOrPlaying) {
  ComPtr<IGraphBuilder> graph = Open("timed.mkv");
  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Pause)));
  const REFERENCE_TIME target = 2 * UNITS + UNITS / 3;  // between two audio packets
  Seek(graph.Get(), target);
  EXPECT_EQ(target, Position(graph.Get()));
  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Run)));
  Pump(400);

  // Sought again while playing.
  const REFERENCE_TIME second = 4 * UNITS + UNITS / 7;
  const std::size_t before = Heard().Frames();
  Seek(graph.Get(), second);
  Pump(400);
  ASSERT_EQ(S_OK, Control(graph.Get(), &IMediaControl::Stop));

  const HeardSound heard = Heard();
  const std::size_t first = heard.FirstSound();
  ASSERT_NE(HeardSound::npos, first);
  EXPECT_NEAR(SampleAt(target), heard.SourceSample(first, SampleAt(target)), kOneAudioFrame);
  EXPECT_NEAR(TimedPitch(2), heard.Pitch(first, kRate / 10, kRate), 15);

  // After the second seek: the first sample heard after the first stretch broke off.
  const std::size_t tail = heard.FirstSound(before);
  ASSERT_NE(HeardSound::npos, tail);
  // (The capture may hold more of the first stretch, whose tone is lower.)
  const bool newStretch = std::abs(heard.Pitch(tail, kRate / 20, kRate) - TimedPitch(4)) < 40;
  const std::size_t frame = newStretch ? tail : heard.FirstSound(tail + heard.ContinuousRun(tail));
  ASSERT_NE(HeardSound::npos, frame);
  const int64_t hint = SampleAt(second);
  EXPECT_NEAR(hint, heard.SourceSample(frame, hint), kOneAudioFrame);
  EXPECT_NEAR(TimedPitch(4), heard.Pitch(frame, kRate / 10, kRate), 15);
}

TEST_F(Sound, TheEndIsReportedOnceTheLastSampleWasHeard) {
  ComPtr<IGraphBuilder> graph = Open("timed.wav");
  LONGLONG duration = 0;
  ASSERT_EQ(S_OK, graph.As<IMediaSeeking>()->GetDuration(&duration));
  EXPECT_EQ(6 * UNITS, duration);
  Seek(graph.Get(), duration - UNITS / 2);
  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Run)));
  ASSERT_TRUE(WaitForEvent(graph.Get(), EC_COMPLETE, 3000));
  const HeardSound heard = Heard();
  const std::size_t last = heard.LastSound();
  ASSERT_NE(HeardSound::npos, last);
  EXPECT_EQ(6 * kRate - 1, heard.SourceSample(last, 6 * kRate)) << "the end came before the last sample was heard";
  EXPECT_EQ(duration, Position(graph.Get()));
  EXPECT_EQ(S_OK, Control(graph.Get(), &IMediaControl::Stop));
}

TEST_F(Sound, VolumeAndBalanceScaleWhatIsHeard) {
  ComPtr<IGraphBuilder> graph = Open("timed.wav");
  ComPtr<IBasicAudio> audio = graph.As<IBasicAudio>();
  EXPECT_EQ(E_INVALIDARG, audio->put_Volume(1));
  EXPECT_EQ(E_INVALIDARG, audio->put_Balance(-10001));
  ASSERT_EQ(S_OK, audio->put_Volume(-600));    // -6 dB: half the amplitude
  ASSERT_EQ(S_OK, audio->put_Balance(10000));  // the left channel silent
  LONG volume = 0;
  ASSERT_EQ(S_OK, audio->get_Volume(&volume));
  EXPECT_EQ(-600, volume);
  ASSERT_TRUE(SUCCEEDED(Control(graph.Get(), &IMediaControl::Run)));
  Pump(400);
  ASSERT_EQ(S_OK, Control(graph.Get(), &IMediaControl::Stop));
  const std::vector<int16_t> samples = Capture();
  int loudestLeft = 0, loudestRight = 0;
  for (std::size_t i = 0; i + 1 < samples.size(); i += 2) {
    loudestLeft = std::max(loudestLeft, std::abs(static_cast<int>(samples[i])));
    loudestRight = std::max(loudestRight, std::abs(static_cast<int>(samples[i + 1])));
  }
  EXPECT_EQ(0, loudestLeft);
  EXPECT_NEAR(32768 * 0.5012, loudestRight, 200);  // the counting channel spans the whole range
}

}  // namespace
}  // namespace dshow_test
