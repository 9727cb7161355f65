#include "app/command_line_options.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "app/product.h"

namespace {

// The options every Qt program takes, without their leading dash; Qt accepts one or two dashes, and
// a value either as the next argument or after "=".
constexpr std::string_view kToolkitOptionsWithValue[] = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "display",         "geometry",           "style",         "stylesheet"};
constexpr std::string_view kToolkitFlags[] = {"reverse", "widgetcount"};

template <std::size_t N>
bool Names(const std::string_view (&names)[N], std::string_view name) {
  return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

void Usage(std::ostream& out, std::string_view program) {
  out << "Usage: " << program << " [OPTION]... [FILE]...\n"
      << "Extract the audio track of video files into MP3, AC3 and WAV files.\n"
      << "Each FILE is added to the list of sources as Add adds the files chosen in its dialog.\n"
      << "\n"
      << "  -h, --help     show this help and exit\n"
      << "  -v, --version  show the version and exit\n"
      << "  --             take every argument after it as a FILE, also one that begins with -\n"
      << "\n"
      << "The options of the Qt toolkit, such as -platform NAME or -style NAME, are passed on to it.\n"
      << "Home page: " << kProductPage << "\n";
}

std::string_view ProgramName(const char* path) {
  std::string_view name = path ? path : "sonvarra";
  const std::size_t slash = name.rfind('/');
  return slash == std::string_view::npos ? name : name.substr(slash + 1);
}

}  // namespace

TCommandLine ReadCommandLine(int argc, char* argv[], std::ostream& out, std::ostream& errors) {
  TCommandLine line;
  const std::string_view program = ProgramName(argc > 0 ? argv[0] : nullptr);
  if (argc > 0) line.toolkitArguments.push_back(argv[0]);
  const auto mistake = [&](const std::string& what) {
    errors << program << ": " << what << "\n";
    Usage(errors, program);
    line.exitCode = 2;
    return line;
  };
  bool optionsEnded = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      line.files.emplace_back(argument);
      continue;
    }
    if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "-h" || argument == "--help") {
      Usage(out, program);
      line.exitCode = 0;
      return line;
    } else if (argument == "-v" || argument == "--version") {
      out << program << " " << kProductVersion << "\n";
      line.exitCode = 0;
      return line;
    } else {
      std::string_view name = argument.substr(argument[1] == '-' ? 2 : 1);
      const bool valueAttached = name.find('=') != std::string_view::npos;
      name = name.substr(0, name.find('='));
      if (Names(kToolkitFlags, name) && !valueAttached) {
        line.toolkitArguments.push_back(argv[i]);
      } else if (Names(kToolkitOptionsWithValue, name)) {
        line.toolkitArguments.push_back(argv[i]);
        if (!valueAttached) {
          if (i + 1 >= argc) return mistake("option '" + std::string(argument) + "' needs a value");
          line.toolkitArguments.push_back(argv[++i]);
        }
      } else {
        return mistake("unrecognised option '" + std::string(argument) + "'");
      }
    }
  }
  line.toolkitArgumentCount = static_cast<int>(line.toolkitArguments.size());
  line.toolkitArguments.push_back(nullptr);
  return line;
}
