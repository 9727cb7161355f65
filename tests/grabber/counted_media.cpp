#include "tests/grabber/counted_media.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <mutex>
#include <stdexcept>
#include <vector>

extern char** environ;

namespace grabber_test {
namespace fs = std::filesystem;
namespace {

constexpr int kColumn = 40;
constexpr int kRedEnd = 107;    // first column of the green band
constexpr int kGreenEnd = 213;  // first column of the blue band

// The same picture as ExpectedColour, in the filter graph's own words.
const char* const kCountedPictures =
    "nullsrc=s=320x240:r=25:d=4,format=rgb24,"
    "geq=r='if(lt(Y\\,120)\\,255*mod(floor(N/pow(2\\,floor(X/40)))\\,2)\\,if(lt(X\\,107)\\,255\\,0))'"
    ":g='if(lt(Y\\,120)\\,255*mod(floor(N/pow(2\\,floor(X/40)))\\,2)\\,if(between(X\\,107\\,212)\\,255\\,0))'"
    ":b='if(lt(Y\\,120)\\,255*mod(floor(N/pow(2\\,floor(X/40)))\\,2)\\,if(gte(X\\,213)\\,255\\,0))'";

void Make(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) throw std::runtime_error("could not start ffmpeg");
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) throw std::runtime_error("ffmpeg failed making a test clip");
}

const fs::path& Scratch() {
  static const struct Folder {
    fs::path path;
    Folder() {
      std::string pattern = (fs::temp_directory_path() / "sonvarra-grabber-XXXXXX").string();
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

std::string CountedClip(const std::string& name) {
  static std::mutex guard;
  static std::map<std::string, fs::path> made;
  std::lock_guard lock(guard);
  if (auto found = made.find(name); found != made.end()) return found->second.string();
  const fs::path path = Scratch() / name;
  std::vector<std::string> command = {"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i", kCountedPictures,
                                      "-f", "lavfi", "-i", "sine=frequency=440:sample_rate=48000:d=4", "-filter:a", "volume=0.1"};
  if (name == "counted_short.mkv") {
    command.insert(command.end(), {"-t", "2"});
  } else if (name != "counted.mkv") {
    throw std::invalid_argument("no recipe for " + name);
  }
  command.insert(command.end(), {"-c:v", "ffv1", "-pix_fmt", "bgr0", "-c:a", "pcm_s16le", path.string()});
  Make(command);
  made.emplace(name, path);
  return path.string();
}

int FrameNumber(const QImage& image) {
  int number = 0;
  for (int bit = 0; bit < kWidth / kColumn; ++bit) {
    const QColor colour = image.pixelColor(image.width() * (bit * kColumn + kColumn / 2) / kWidth, image.height() / 4);
    if (colour.lightness() > 128) number |= 1 << bit;
  }
  return number;
}

unsigned ExpectedColour(int frame, int x, int y) {
  if (y < kHeight / 2) return (frame >> (x / kColumn)) & 1 ? 0xFFFFFFu : 0u;
  if (x < kRedEnd) return 0xFF0000u;
  if (x < kGreenEnd) return 0x00FF00u;
  return 0x0000FFu;
}

double MatchingShare(const QImage& image, int frame, int tolerance, int margin) {
  const auto close = [tolerance](unsigned a, unsigned b) {
    for (int shift : {0, 8, 16})
      if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance) return false;
    return true;
  };
  long matching = 0, counted = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const unsigned expected = ExpectedColour(frame, x, y);
      bool nearEdge = false;
      for (int dy = -margin; dy <= margin && !nearEdge; ++dy)
        for (int dx = -margin; dx <= margin && !nearEdge; ++dx) {
          const int nx = std::clamp(x + dx, 0, kWidth - 1), ny = std::clamp(y + dy, 0, kHeight - 1);
          nearEdge = ExpectedColour(frame, nx, ny) != expected;
        }
      if (nearEdge) continue;
      ++counted;
      if (close(image.pixel(x, y) & 0xFFFFFFu, expected)) ++matching;
    }
  }
  return counted ? static_cast<double>(matching) / counted : 0.0;
}

}  // namespace grabber_test
