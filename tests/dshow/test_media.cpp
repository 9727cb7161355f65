#include "tests/dshow/test_media.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <stdexcept>
#include <vector>

extern char** environ;

namespace dshow_test {
namespace fs = std::filesystem;
namespace {

const char* const kTimedSound =
    "aevalsrc=exprs='0.5*sin(2*PI*(300+100*floor(t))*t)|(mod(n\\,65536)-32768)/32768':s=48000:d=6";
const char* const kNumberedPictures = "nullsrc=s=98x64:r=10:d=6,format=gray,geq=lum='16+8*N',format=yuv420p";

// Frame n carries n in binary in its upper half (column k of 40 pixels white for bit k) above
// bands of pure red, green and blue.
const char* const kCountedPictures =
    "nullsrc=s=320x240:r=25:d=4,format=rgb24,"
    "geq=r='if(lt(Y\\,120)\\,255*mod(floor(N/pow(2\\,floor(X/40)))\\,2)\\,if(lt(X\\,107)\\,255\\,0))'"
    ":g='if(lt(Y\\,120)\\,255*mod(floor(N/pow(2\\,floor(X/40)))\\,2)\\,if(between(X\\,107\\,212)\\,255\\,0))'"
    ":b='if(lt(Y\\,120)\\,255*mod(floor(N/pow(2\\,floor(X/40)))\\,2)\\,if(gte(X\\,213)\\,255\\,0))'";
const char* const kQuietTone = "sine=frequency=440:sample_rate=48000:d=4";

std::vector<std::string> Recipe(const std::string& name) {
  if (name == "counted.mkv" || name == "counted_short.mkv")
    return {"-f",   "lavfi",    "-i",        kCountedPictures, "-f",   "lavfi",
            "-i",   kQuietTone, "-filter:a", "volume=0.1",     "-t",   name == "counted.mkv" ? "4" : "2",
            "-c:v", "ffv1",     "-pix_fmt",  "bgr0",           "-c:a", "pcm_s16le"};
  if (name == "timed.wav") return {"-f", "lavfi", "-i", kTimedSound, "-c:a", "pcm_s16le"};
  if (name == "timed.mkv")
    return {"-f",   "lavfi", "-i",   kNumberedPictures, "-f", "lavfi", "-i", kTimedSound,
            "-c:v", "ffv1",  "-c:a", "pcm_s16le"};
  if (name == "clip.mp4")
    return {"-f",        "lavfi",     "-i",      "testsrc=size=160x120:rate=25:d=3",
            "-f",        "lavfi",     "-i",      "sine=frequency=440:sample_rate=48000:d=3",
            "-c:v",      "libx264",   "-preset", "ultrafast",
            "-pix_fmt",  "yuv420p",   "-c:a",    "aac",
            "-movflags", "+faststart"};
  if (name == "video_only.mkv") return {"-f", "lavfi", "-i", kNumberedPictures, "-t", "2", "-c:v", "ffv1"};
  if (name == "audio_only.m4a") return {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100:d=2", "-c:a", "aac"};
  if (name == "raw.h264")
    return {"-f",        "lavfi", "-i",  "testsrc=size=160x120:rate=25:d=2", "-c:v", "libx264", "-preset",
            "ultrafast", "-f",    "h264"};
  if (name == "long.mp4")
    return {"-f",        "lavfi",     "-i",      "testsrc=size=160x120:rate=25:d=8",
            "-f",        "lavfi",     "-i",      "sine=frequency=440:sample_rate=48000:d=8",
            "-c:v",      "libx264",   "-preset", "ultrafast",
            "-pix_fmt",  "yuv420p",   "-c:a",    "aac",
            "-movflags", "+faststart"};
  throw std::invalid_argument("no recipe for test clip " + name);
}

void Run(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
    throw std::runtime_error("could not start " + arguments[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("ffmpeg failed making a test clip");
}

void Make(const std::string& name, const fs::path& path) {
  if (name == "empty.avi") {
    std::ofstream(path, std::ios::binary);
    return;
  }
  if (name == "junk.avi") {
    std::ofstream out(path, std::ios::binary);
    for (unsigned i = 0; i < 64 * 1024; ++i) out.put(static_cast<char>((i * 2654435761u) >> 24));
    return;
  }
  if (name == "truncated.mp4") {
    const fs::path whole = Clip("long.mp4");
    fs::copy_file(whole, path);
    fs::resize_file(path, fs::file_size(whole) / 2);
    return;
  }
  std::vector<std::string> command = {"ffmpeg", "-nostdin", "-v", "error", "-y"};
  const auto arguments = Recipe(name);
  command.insert(command.end(), arguments.begin(), arguments.end());
  command.push_back(path.string());
  Run(command);
}

const fs::path& Scratch() {
  static const struct Folder {
    fs::path path;
    Folder() {
      std::string pattern = (fs::temp_directory_path() / "sonvarra-dshow-XXXXXX").string();
      if (!::mkdtemp(pattern.data())) throw std::runtime_error("could not make a scratch folder");
      path = pattern;
    }
    ~Folder() {
      std::error_code ignored;
      fs::remove_all(path, ignored);
    }
  } folder;
  return folder.path;
}

}  // namespace

std::string ScratchFolder() { return Scratch().string(); }

std::string Clip(const std::string& name) {
  static std::recursive_mutex guard;
  static std::map<std::string, fs::path> made;
  std::lock_guard lock(guard);
  if (auto found = made.find(name); found != made.end()) return found->second.string();
  const fs::path path = Scratch() / name;
  Make(name, path);
  made.emplace(name, path);
  return path.string();
}

}  // namespace dshow_test
