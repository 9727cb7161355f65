#include "tests/mediaplayer/player_media.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "child_process.h"
#include "test_media.h"

namespace mediaplayer_test {
namespace fs = std::filesystem;
namespace {

std::string ToneExpression() {
  const std::string channel = "0.5*sin(2*PI*(300+150*floor(t))*t)";
  return "aevalsrc=" + channel + "|" + channel + ":s=48000:d=" + std::to_string(kToneSeconds);
}

std::vector<std::string> Recipe(const std::string& name) {
  const std::vector<std::string> video = {"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25"};
  const std::vector<std::string> h264 = {"-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-g", "25"};
  std::vector<std::string> recipe;
  auto add = [&recipe](const std::vector<std::string>& part) { recipe.insert(recipe.end(), part.begin(), part.end()); };
  if (name == "tone.mp4") {
    add(video);
    add({"-f", "lavfi", "-i", ToneExpression(), "-t", std::to_string(kToneSeconds)});
    add(h264);
    add({"-c:a", "aac", "-b:a", "128k", "-movflags", "+faststart"});
  } else if (name == "tone.m4a") {
    add({"-f", "lavfi", "-i", ToneExpression(), "-c:a", "aac", "-b:a", "128k"});
  } else if (name == "video.mp4") {
    add(video);
    add({"-t", "4"});
    add(h264);
  } else {
    throw std::invalid_argument("no recipe for test media " + name);
  }
  return recipe;
}

// In the scratch folder of the test media's runs, removed when the run ends.
const fs::path& ScratchFolder() {
  static const fs::path folder = enginebin_test::fresh_folder("player-media");
  return folder;
}

void Make(const std::string& name, const fs::path& path) {
  if (name == "broken.mp4") {
    std::string junk;
    for (unsigned i = 0; i < 64 * 1024; ++i) junk.push_back(static_cast<char>((i * 2654435761u) >> 24));
    std::ofstream(path, std::ios::binary) << junk;
    return;
  }
  if (name == "truncated.mp4") {
    const fs::path whole = TestMedia("tone.mp4");
    std::ifstream in(whole, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    bytes.resize(bytes.size() * 45 / 100);
    std::ofstream(path, std::ios::binary) << bytes;
    return;
  }
  std::vector<std::string> command = {"ffmpeg", "-nostdin", "-v", "error", "-y"};
  const auto recipe = Recipe(name);
  command.insert(command.end(), recipe.begin(), recipe.end());
  command.push_back(path.string());
  const auto result = enginebin_test::run_process(command);
  if (result.exit_code != 0) throw std::runtime_error("could not make test media " + name + ": " + result.output);
}

}  // namespace

std::string TestMedia(const std::string& name) {
  static std::recursive_mutex guard;
  static std::map<std::string, fs::path> made;
  std::lock_guard lock(guard);
  if (auto found = made.find(name); found != made.end()) return found->second.string();
  const fs::path path = ScratchFolder() / name;
  Make(name, path);
  made.emplace(name, path);
  return path.string();
}

std::string MissingMedia() { return (ScratchFolder() / "vanished.mp4").string(); }

}  // namespace mediaplayer_test
