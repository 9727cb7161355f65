// The command as a user runs it: a program started with arguments, in private user folders, its
// output folder fresh for each test.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/enginebin/child_process.h"
#include "tests/support/temp_places.h"

namespace cli_test {

namespace fs = std::filesystem;

class CliTest : public testing::Test {
 protected:
  // The folder the outputs go to, with its delimiter; it does not exist until a run makes it.
  std::string Out() const { return places_.HomeDir() + "/out/"; }
  // A folder for sources of the test's own.
  std::string Sources() const {
    fs::create_directories(places_.HomeDir() + "/sources");
    return places_.HomeDir() + "/sources/";
  }
  // A copy of a clip under another name (and folder) among the sources.
  std::string Source(const std::string& clip, const std::string& name) const {
    const fs::path target = Sources() + name;
    fs::create_directories(target.parent_path());
    fs::copy_file(clip, target, fs::copy_options::overwrite_existing);
    return target.string();
  }

  static std::vector<std::string> Command(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{SONVARRA_CLI_PROGRAM};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
  }
  enginebin_test::ProcessResult Run(const std::vector<std::string>& arguments) const {
    auto result = enginebin_test::run_process(Command(arguments));
    EXPECT_FALSE(enginebin_test::has_sanitizer_report(result.output)) << result.output;
    return result;
  }

  // The names in the output folder, sorted.
  std::vector<std::string> OutputFiles() const {
    std::vector<std::string> names;
    if (!fs::exists(Out())) return names;
    for (const auto& entry : fs::directory_iterator(Out())) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  // What the run left in the temporary root: nothing, once it has ended.
  std::vector<std::string> TemporaryFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(places_.TempDir()))
      if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
    return names;
  }

  test_support::TempPlaces places_;
};

}  // namespace cli_test
