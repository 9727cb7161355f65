#include "cli/source_files.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <set>
#include <string_view>

#include "batch/source_folders.h"

namespace cli {
namespace {

// What the window's Add offers, the usual streaming and camera files, and audio files.
constexpr auto kMediaExtensions = std::to_array<std::string_view>(
    {"avi",  "mpeg", "mpg", "mpe",  "m1v",  "m2v", "wmv",  "asf",  "asx",  "mov",   "qt",   "rm",   "rmvb",
     "flv",  "divx", "div", "xvid", "dat",  "vob", "3gp",  "3g2",  "mjpg", "mjpeg", "h261", "h264", "mkv",
     "ogm",  "mp4",  "m4v", "webm", "ts",   "mts", "m2ts", "ogv",  "mp3",  "wav",   "flac", "ogg",  "oga",
     "opus", "m4a",  "aac", "ac3",  "eac3", "wma", "aif",  "aiff", "mka",  "ape",   "wv",   "mp2"});

std::string LowerCase(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
  return text;
}

class SourceList {
 public:
  explicit SourceList(bool recursive) : recursive_(recursive) {}

  void AddFolder(const std::string& folder) {
    // A folder reached again through a link would list its files twice, or for ever.
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(folder, error);
    if (!error && !visitedFolders_.insert(real.string()).second) return;
    for (const std::string& file : batch::FilesInFolder(folder, IsMediaFileName)) Add({file, ""});
    if (!recursive_) return;
    for (const std::string& subfolder : batch::FoldersInFolder(folder)) AddFolder(subfolder);
  }

  void Add(SourceFile source) {
    // "clip.avi" and "./clip.avi" are one file.
    std::error_code error;
    const std::filesystem::path real = std::filesystem::weakly_canonical(source.Path, error);
    if (named_.insert(error ? source.Path : real.string()).second) sources_.push_back(std::move(source));
  }

  std::vector<SourceFile> Take() { return std::move(sources_); }

 private:
  bool recursive_;
  std::vector<SourceFile> sources_;
  std::set<std::string> named_;
  std::set<std::string> visitedFolders_;
};

}  // namespace

bool IsMediaFileName(const std::string& name) {
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || dot == 0) return false;
  const std::string extension = LowerCase(name.substr(dot + 1));
  return std::find(kMediaExtensions.begin(), kMediaExtensions.end(), extension) != kMediaExtensions.end();
}

std::vector<SourceFile> ListSources(const std::vector<std::string>& inputs, bool recursive) {
  SourceList list(recursive);
  for (const std::string& input : inputs) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(input, error);
    if (std::filesystem::is_directory(status)) {
      list.AddFolder(input);
    } else if (!std::filesystem::exists(status)) {
      list.Add({input, "There is no such file or folder."});
    } else {
      list.Add({input, ""});
    }
  }
  return list.Take();
}

std::vector<SourceFile> TakeShard(const std::vector<SourceFile>& sources, const Shard& shard) {
  std::vector<SourceFile> taken;
  for (std::size_t i = static_cast<std::size_t>(shard.Index - 1); i < sources.size();
       i += static_cast<std::size_t>(shard.Count))
    taken.push_back(sources[i]);
  return taken;
}

}  // namespace cli
