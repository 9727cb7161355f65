#include "tests/architecture/include_rules.h"

#include <algorithm>
#include <regex>
#include <set>
#include <sstream>

namespace architecture {
namespace {

bool StartsWith(const std::string& text, const std::string& prefix) { return text.rfind(prefix, 0) == 0; }

bool IsAnyOf(const std::string& header, const std::set<std::string>& names) { return names.count(header) > 0; }

std::string Joined(const std::set<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text.empty() ? "none" : text;
}

// The folder of a path, with its trailing '/'.
std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// Why `header` (a path of the tree) may not be included from `layer`; empty when it may.
std::string LayerFault(const LayerTable& table, const Layer& layer, const std::string& header) {
  const Layer* target = table.LayerOf(header);
  if (!target) return "includes " + header + ", which belongs to no layer of the product";
  if (target == &layer) return "";
  const auto& entries = layer.mayInclude;
  if (std::find(entries.begin(), entries.end(), header) != entries.end()) return "";
  if (std::find(entries.begin(), entries.end(), target->folder) == entries.end()) {
    const char* direction = table.RankOf(*target) <= table.RankOf(layer) ? "up or sideways" : "down past its rule";
    return "includes " + header + ": " + layer.folder + " may not use " + target->folder + " (" + direction + ")";
  }
  const std::string inside = header.substr(target->folder.size());
  if (!target->seenThrough.empty() && !target->seenThrough.count(inside))
    return "includes " + header + ", which " + target->folder + " keeps to itself (others see " +
           Joined(target->seenThrough) + ")";
  return "";
}

}  // namespace

std::string LibraryOf(const std::string& header) {
  static const std::set<std::string> kPosix = {"unistd.h", "fcntl.h",     "dirent.h",   "spawn.h",   "poll.h",
                                               "pwd.h",    "grp.h",       "dlfcn.h",    "pthread.h", "termios.h",
                                               "sched.h",  "semaphore.h", "glob.h",     "fnmatch.h", "libgen.h",
                                               "syslog.h", "strings.h",   "langinfo.h", "iconv.h"};
  static const std::set<std::string> kStandardC = {
      "assert.h", "ctype.h",  "errno.h",    "float.h",   "limits.h", "locale.h", "math.h",   "setjmp.h",
      "signal.h", "stdarg.h", "stddef.h",   "stdint.h",  "stdio.h",  "stdlib.h", "string.h", "time.h",
      "wchar.h",  "wctype.h", "inttypes.h", "stdbool.h", "fenv.h",   "uchar.h",  "cxxabi.h"};
  static const std::set<std::string> kJpeg = {"jpeglib.h", "jerror.h", "jconfig.h", "jmorecfg.h"};
  static const std::regex kQt("^Q[A-Za-z0-9]+$|^Qt[A-Za-z]*/.*");
  static const std::regex kFfmpeg("^lib(avformat|avcodec|avutil|swresample|swscale|avfilter|avdevice)/.*");
  if (std::regex_match(header, kQt)) return "Qt";
  if (std::regex_match(header, kFfmpeg)) return "FFmpeg";
  if (StartsWith(header, "SDL2/") || StartsWith(header, "SDL")) return "SDL";
  if (IsAnyOf(header, kJpeg)) return "libjpeg";
  if (IsAnyOf(header, kPosix) || StartsWith(header, "sys/") || StartsWith(header, "arpa/") ||
      StartsWith(header, "netinet/") || StartsWith(header, "net/") || StartsWith(header, "linux/"))
    return "POSIX";
  if (IsAnyOf(header, kStandardC)) return "";
  const bool cxxStyle = header.find('.') == std::string::npos && header.find('/') == std::string::npos;
  return cxxStyle && !header.empty() && std::islower(static_cast<unsigned char>(header[0])) ? "" : "?";
}

std::vector<std::string> IncludeFaults(const LayerTable& table, const std::string& path, const std::string& text) {
  static const std::regex kInclude(R"(^\s*#\s*include\s*([<"])([^>"]+)[>"])");
  std::vector<std::string> faults;
  const Layer* layer = table.LayerOf(path);
  if (!layer) return {path + ": belongs to no layer of the table"};
  std::istringstream in(text);
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    std::smatch match;
    if (!std::regex_search(line, match, kInclude)) continue;
    const std::string header = match[2];
    std::string fault;
    if (match[1] == "<") {
      const std::string library = LibraryOf(header);
      if (library == "?")
        fault = "includes <" + header + ">, from no library the table knows";
      else if (!library.empty() && !layer->libraries.count(library))
        fault = "includes <" + header + ">: " + layer->folder + " may not use " + library + " (it may use " +
                Joined(layer->libraries) + ")";
    } else {
      // A name without a folder is the including file's neighbour.
      fault = LayerFault(table, *layer, header.find('/') == std::string::npos ? FolderOf(path) + header : header);
    }
    if (!fault.empty()) faults.push_back(path + ":" + std::to_string(number) + ": " + fault);
  }
  return faults;
}

}  // namespace architecture
