#include "test_media.h"

#include "child_process.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace enginebin_test {
namespace fs = std::filesystem;
namespace {

const std::vector<std::string> kVideo = {"-f", "lavfi", "-i", "testsrc=size=160x120:rate=10"};
std::vector<std::string> tone(int rate, const std::string& layout) {
  return {"-f", "lavfi", "-i",
          "sine=frequency=440:sample_rate=" + std::to_string(rate) + ",aformat=channel_layouts=" + layout};
}
std::vector<std::string> noise() {
  return {"-f", "lavfi", "-i",
          "anoisesrc=sample_rate=44100:seed=11:amplitude=0.4,"
          "aformat=channel_layouts=stereo"};
}

// Four kinds of material in a row, 100 s in all: tones whose pitch steps up every second (so that
// the pitch tells the time), silence, a voice-like buzz with syllables and hiss, and pink noise.
std::vector<std::string> program_material() {
  const std::string f0 = "(110+25*sin(2*PI*0.7*t))";
  const std::string voice = "0.25*pow(0.5+0.5*sin(2*PI*3.7*t),2)*(sin(2*PI*" + f0 + "*t)+0.6*sin(4*PI*" + f0 +
                            "*t)+0.4*sin(6*PI*" + f0 + "*t)+0.2*sin(10*PI*" + f0 +
                            "*t))+0.3*(random(0)-0.5)*gt(sin(2*PI*1.3*t),0.8)";
  return {"-f",
          "lavfi",
          "-i",
          "aevalsrc='0.4*sin(2*PI*(300+25*floor(t))*t)|0.3*sin(2*PI*(450+25*floor(t))*t)':s=48000:d=25",
          "-f",
          "lavfi",
          "-i",
          "anullsrc=r=48000:cl=stereo:d=15",
          "-f",
          "lavfi",
          "-i",
          "aevalsrc='" + voice + "|" + voice + "':s=48000:d=25",
          "-f",
          "lavfi",
          "-i",
          "anoisesrc=r=48000:color=pink:amplitude=0.3:seed=5:d=35",
          "-filter_complex",
          "[3]aformat=channel_layouts=stereo[n];[0][1][2][n]concat=n=4:v=0:a=1[a]",
          "-map",
          "[a]"};
}

std::vector<std::string> join(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// ffmpeg arguments between the program name and the output file.
std::vector<std::string> recipe(const std::string& name) {
  const std::vector<std::string> three_seconds = {"-t", "3"};
  if (name == "clip.avi")
    return join({kVideo, tone(44100, "stereo"), three_seconds, {"-c:v", "mpeg4", "-c:a", "libmp3lame"}});
  if (name == "clip.mp4")
    return join({kVideo, tone(48000, "stereo"), three_seconds, {"-c:v", "libx264", "-c:a", "aac"}});
  if (name == "clip.mkv") return join({kVideo, tone(48000, "5.1"), three_seconds, {"-c:v", "mpeg4", "-c:a", "ac3"}});
  if (name == "clip.mov") return join({kVideo, tone(44100, "mono"), three_seconds, {"-c:v", "mjpeg", "-c:a", "aac"}});
  if (name == "clip.flv")
    return join({kVideo, tone(22050, "mono"), three_seconds, {"-c:v", "flv1", "-c:a", "libmp3lame"}});
  if (name == "clip.mpg")
    return join({kVideo, tone(48000, "stereo"), three_seconds, {"-c:v", "mpeg2video", "-c:a", "mp2", "-f", "vob"}});
  if (name == "clip.wmv")
    return join({kVideo, tone(44100, "stereo"), three_seconds, {"-c:v", "wmv2", "-c:a", "wmav2"}});
  if (name == "clip.3gp")
    return join({{"-f", "lavfi", "-i", "testsrc=size=176x144:rate=10"},
                 tone(16000, "mono"),
                 three_seconds,
                 {"-c:v", "h263", "-c:a", "aac"}});
  if (name == "pcm.avi") return join({kVideo, noise(), {"-t", "6", "-c:v", "mpeg4", "-c:a", "pcm_s16le"}});
  if (name == "pcm.mov") return join({kVideo, noise(), {"-t", "6", "-c:v", "mjpeg", "-c:a", "pcm_s16le"}});
  if (name == "short.avi")
    return join({kVideo, tone(44100, "stereo"), {"-t", "0.5", "-c:v", "mpeg4", "-c:a", "pcm_s16le"}});
  if (name == "long.wav") return join({tone(44100, "stereo"), {"-t", "120"}});
  // The same 48 kHz stereo noise: in MOV with its channels named, in a plain WAV without.
  if (name == "named.mov")
    return {"-f", "lavfi", "-i",   "anoisesrc=sample_rate=48000:seed=3:amplitude=0.4,aformat=channel_layouts=stereo",
            "-t", "4",     "-c:a", "pcm_s16le"};
  if (name == "unnamed.wav") return {"-i", test_clip("named.mov"), "-c", "copy"};
  if (name == "noaudio.avi") return join({kVideo, three_seconds, {"-c:v", "mpeg4"}});
  if (name == "program.wav") return join({program_material(), {"-c:a", "pcm_s16le"}});
  if (name == "program.mp4") return {"-i", test_clip("program.wav"), "-c:a", "aac", "-b:a", "128k"};
  if (name == "program-mp3.mp4") return {"-i", test_clip("program.wav"), "-c:a", "libmp3lame", "-b:a", "192k"};
  if (name == "program.mkv") return {"-i", test_clip("program.mp4"), "-c", "copy"};
  if (name == "program.ts") return {"-i", test_clip("program.wav"), "-c:a", "mp2", "-b:a", "256k"};
  // Four times the material, 400 s: WAV is cut only in long ranges.
  const auto four_times = [] { return std::vector<std::string>{"-stream_loop", "3", "-i", test_clip("program.wav")}; };
  if (name == "program-long.mp4")
    return join({four_times(), {"-c:a", "aac", "-b:a", "128k", "-movflags", "+faststart"}});
  if (name == "program-long-mp3.mp4") return join({four_times(), {"-c:a", "libmp3lame", "-b:a", "192k"}});
  // Two halves of one MPEG transport stream, the second at another sample rate.
  if (name == "rate-44100.ts") return join({tone(44100, "stereo"), {"-t", "40", "-c:a", "mp2", "-b:a", "192k"}});
  if (name == "rate-32000.ts")
    return join({tone(32000, "stereo"), {"-t", "40", "-c:a", "mp2", "-b:a", "192k", "-output_ts_offset", "40"}});
  const std::vector<std::string> ten_seconds = {"-t", "10"};
  // Valid files whose audio (5 s) ends before their video (10 s).
  const std::vector<std::string> five_second_tone = {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000:d=5"};
  if (name == "short-audio.mkv")
    return join({kVideo, five_second_tone, ten_seconds, {"-c:v", "mpeg4", "-c:a", "libmp3lame"}});
  if (name == "short-audio.webm")
    return join({kVideo, five_second_tone, ten_seconds, {"-c:v", "libvpx", "-c:a", "libvorbis"}});
  if (name == "short-audio.flv")
    return join({kVideo, five_second_tone, ten_seconds, {"-c:v", "flv1", "-c:a", "libmp3lame", "-ar", "44100"}});
  // The index first, so that the file still opens when its end is cut off.
  if (name == "whole.mp4")
    return join(
        {kVideo, tone(48000, "stereo"), ten_seconds, {"-c:v", "mpeg4", "-c:a", "aac", "-movflags", "+faststart"}});
  if (name == "unknown.h264") return join({kVideo, {"-t", "2", "-c:v", "libx264", "-f", "h264"}});
  throw std::invalid_argument("no recipe for test clip " + name);
}

const fs::path& scratch_folder() {
  // Removed at exit by this static's destructor.
  static const struct Scratch {
    fs::path path;
    Scratch() {
      std::string pattern = (fs::temp_directory_path() / "sonvarra-enginebin-XXXXXX").string();
      if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("could not create a scratch folder");
      path = pattern;
    }
    ~Scratch() {
      std::error_code ignored;
      fs::remove_all(path, ignored);
    }
  } scratch;
  return scratch.path;
}

void write_bytes(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string read_bytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

void make_clip(const std::string& name, const fs::path& path) {
  if (name == "empty.avi") return write_bytes(path, "");
  if (name == "cut.mp4") {
    // Cut at half: the index still declares 10 s, the data holds about half of it.
    const std::string whole = read_bytes(test_clip("whole.mp4"));
    return write_bytes(path, whole.substr(0, whole.size() / 2));
  }
  if (name == "program-long-cut.mp4") {
    const std::string whole = read_bytes(test_clip("program-long.mp4"));
    return write_bytes(path, whole.substr(0, whole.size() * 6 / 10));
  }
  if (name == "rate-change.ts")
    return write_bytes(path, read_bytes(test_clip("rate-44100.ts")) + read_bytes(test_clip("rate-32000.ts")));
  if (name == "cut-before-audio.mp4") {
    // Cut right after the start of the media data: the index declares 10 s, nothing is there.
    const std::string whole = read_bytes(test_clip("whole.mp4"));
    return write_bytes(path, whole.substr(0, whole.find("mdat") + 4));
  }
  if (name == "junk.avi") {
    std::string junk;
    for (unsigned i = 0; i < 64 * 1024; ++i) junk.push_back(static_cast<char>((i * 2654435761u) >> 24));
    return write_bytes(path, junk);
  }
  std::vector<std::string> command = {ffmpeg_program(), "-nostdin", "-v", "error", "-y"};
  const auto arguments = recipe(name);
  command.insert(command.end(), arguments.begin(), arguments.end());
  command.push_back(path.string());
  const ProcessResult result = run_process(command);
  if (result.exit_code != 0) throw std::runtime_error("could not make test clip " + name + ": " + result.output);
}

}  // namespace

std::string ffmpeg_program() { return "ffmpeg"; }

std::string test_clip(const std::string& name) {
  static std::recursive_mutex guard;  // a clip may be made from another
  static std::map<std::string, fs::path> made;
  std::lock_guard lock(guard);
  if (const auto found = made.find(name); found != made.end()) return found->second.string();
  const fs::path folder = scratch_folder() / "clips";
  fs::create_directories(folder);
  const fs::path path = folder / name;
  make_clip(name, path);
  made.emplace(name, path);
  return path.string();
}

std::string fresh_folder(const std::string& name) {
  static int counter = 0;
  const fs::path folder = scratch_folder() / (name + "-" + std::to_string(++counter));
  fs::create_directories(folder);
  return folder.string();
}

}  // namespace enginebin_test
