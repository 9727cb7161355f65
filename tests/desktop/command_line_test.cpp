// The command line: the program's own options, the toolkit's passed on, the files in order.
#include "app/command_line_options.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

struct Read {
  TCommandLine line;
  std::string out, errors;
};

Read ReadArguments(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "/usr/bin/sonvarra");
  static std::vector<std::string> kept;  // the toolkit keeps pointers into the arguments
  kept = arguments;
  std::vector<char*> argv;
  for (std::string& argument : kept) argv.push_back(argument.data());
  argv.push_back(nullptr);
  std::ostringstream out, errors;
  Read read{ReadCommandLine(static_cast<int>(kept.size()), argv.data(), out, errors), "", ""};
  read.out = out.str();
  read.errors = errors.str();
  return read;
}

std::vector<std::string> Toolkit(const TCommandLine& line) {
  std::vector<std::string> arguments;
  for (int i = 0; i < line.toolkitArgumentCount; ++i) arguments.emplace_back(line.toolkitArguments[i]);
  EXPECT_EQ(line.toolkitArguments.back(), nullptr);
  return arguments;
}

TEST(CommandLine, FilesGoToTheListAndTheToolkitsOptionsToTheToolkit) {
  const Read read = ReadArguments({"a clip.avi", "-platform", "offscreen", "--style=Fusion", "-reverse", "-", "b.mkv",
                                   "--", "-dash.avi", "--help"});
  EXPECT_FALSE(read.line.exitCode);
  EXPECT_EQ(read.line.files, (std::vector<AnsiString>{"a clip.avi", "-", "b.mkv", "-dash.avi", "--help"}));
  EXPECT_EQ(Toolkit(read.line),
            (std::vector<std::string>{"/usr/bin/sonvarra", "-platform", "offscreen", "--style=Fusion", "-reverse"}));
  EXPECT_EQ(read.out + read.errors, "");
}

TEST(CommandLine, HelpAndVersionPrintAndEndTheProgramWell) {
  for (const char* help : {"--help", "-h"}) {
    const Read read = ReadArguments({"clip.avi", help, "--bogus"});
    EXPECT_EQ(read.line.exitCode, 0);
    EXPECT_EQ(read.out.rfind("Usage: sonvarra [OPTION]... [FILE]...\n", 0), 0u) << read.out;
    EXPECT_NE(read.out.find("--version"), std::string::npos);
    EXPECT_EQ(read.errors, "");
  }
  for (const char* version : {"--version", "-v"}) {
    const Read read = ReadArguments({version});
    EXPECT_EQ(read.line.exitCode, 0);
    EXPECT_EQ(read.out, std::string("sonvarra ") + SONVARRA_VERSION + "\n");
  }
}

TEST(CommandLine, AnUnknownOptionOrAMissingValueEndsWithTheUsageOnTheErrorStream) {
  const struct {
    std::vector<std::string> arguments;
    std::string first;
  } mistakes[] = {
      {{"clip.avi", "--bogus"}, "sonvarra: unrecognised option '--bogus'\n"},
      {{"-x"}, "sonvarra: unrecognised option '-x'\n"},
      {{"-reverse=yes"}, "sonvarra: unrecognised option '-reverse=yes'\n"},
      {{"clip.avi", "-platform"}, "sonvarra: option '-platform' needs a value\n"},
  };
  for (const auto& mistake : mistakes) {
    const Read read = ReadArguments(mistake.arguments);
    EXPECT_EQ(read.line.exitCode, 2);
    EXPECT_EQ(read.out, "");
    EXPECT_EQ(read.errors.rfind(mistake.first + "Usage: sonvarra ", 0), 0u) << read.errors;
  }
}

}  // namespace
