// The command line: times and ranges to the millisecond, and what is refused before anything runs.
#include "cli/options.h"

#include <gtest/gtest.h>

#include "cli/time_ranges.h"
#include "cli/usage_error.h"

namespace cli {
namespace {

Options Parse(std::vector<std::string> arguments) { return ParseOptions(arguments); }

TEST(Times, AreReadInEveryFormToTheMillisecond) {
  EXPECT_EQ(ParseTime("0"), 0);
  EXPECT_EQ(ParseTime("2.345"), 2345);
  EXPECT_EQ(ParseTime("90.5"), 90500);
  EXPECT_EQ(ParseTime("01:30"), 90000);
  EXPECT_EQ(ParseTime("1:02:03.4"), 3723400);
  EXPECT_EQ(ParseTime("125:00:00"), 450000000);
  for (const char* bad : {"", ".5", "1.", "1.2345", "1:60", "1:5", "a", "-1", "1:02:03:04", "1,5", " 1"})
    EXPECT_FALSE(ParseTime(bad).has_value()) << bad;
}

TEST(Ranges, TakeBothEndsOrOneAndRefuseAnEndNotAfterTheBegin) {
  const TimeRange both = ParseRange("1:02.5-1:10");
  EXPECT_EQ(both.Begin, 62500);
  EXPECT_EQ(both.End, 70000);
  EXPECT_FALSE(ParseRange("30-").End.has_value());
  EXPECT_EQ(ParseRange("-30").Begin, 0);
  EXPECT_EQ(RangeText(both), "01:02.500-01:10.000");
  for (const char* bad : {"5-3", "3-3", "-", "3", "1-2-3", "x-3"}) EXPECT_THROW(ParseRange(bad), UsageError) << bad;
}

TEST(Options, SettingsArriveWhereverTheyStandAndInEveryForm) {
  const Options options = Parse({"a.avi", "-o", "out", "-fflac", "--rate=48000", "--range", "1-2", "--range=3-4.5",
                                 "-j", "3", "--no-tags", "--shard", "2/5", "--", "-odd.avi"});
  EXPECT_EQ(options.Inputs, (std::vector<std::string>{"a.avi", "-odd.avi"}));
  EXPECT_EQ(options.OutputFolder, "out");
  EXPECT_EQ(options.Format, "flac");
  EXPECT_EQ(options.SampleRate, 48000);
  ASSERT_EQ(options.Ranges.size(), 2u);
  EXPECT_EQ(options.Ranges[1].End, 4500);
  EXPECT_EQ(options.Jobs, 3);
  EXPECT_FALSE(options.Tags);
  ASSERT_TRUE(options.ShardOfRun.has_value());
  EXPECT_EQ(options.ShardOfRun->Index, 2);
  EXPECT_EQ(options.ShardOfRun->Count, 5);
  EXPECT_EQ(Parse({"a"}).Format, "mp3");
}

TEST(Options, WhatCannotRunAsGivenIsAUsageError) {
  const std::vector<std::vector<std::string>> refused = {
      {},                                // no input
      {"a", "-f", "ogg"},                // unknown format
      {"a", "--range", "10-5"},          // ends before it begins
      {"a", "-j", "0"},                  // no job at once
      {"a", "--shard", "0/3"},           // outside its count
      {"a", "--shard", "4/3"},           //
      {"a", "--shard", "3"},             //
      {"a", "--frobnicate"},             // unknown option
      {"a", "-o"},                       // value missing
      {"a", "--dry-run=yes"},            // a switch with a value
      {"a", "-f", "copy", "-b", "192"},  // settings a copy does not have
      {"a", "-f", "copy", "--loudness", "-16"},
      {"a", "-f", "ac3", "--rate", "22050"},  // a rate the format cannot have
      {"a", "-f", "mp3", "-c", "6"},          // more channels than the format holds
      {"a", "--loudness", "loud"},            //
      {"a", "--track", "0"},                  //
  };
  for (const auto& arguments : refused) {
    std::string shown;
    for (const auto& argument : arguments) shown += argument + " ";
    EXPECT_THROW(Parse(arguments), UsageError) << shown;
  }
  EXPECT_NO_THROW(Parse({"--help"}));
}

TEST(Options, TheHelpNamesEveryOptionOnce) {
  const std::string help = HelpText();
  EXPECT_EQ(help.rfind(kUsageLine, 0), 0u);
  for (const char* option : {"--output", "--format", "--range", "--track", "--list-tracks", "--no-tags", "--loudness",
                             "--jobs", "--json", "--dry-run", "--shard", "--recursive"})
    EXPECT_EQ(help.find(option), help.rfind(option)) << option;
}

}  // namespace
}  // namespace cli
