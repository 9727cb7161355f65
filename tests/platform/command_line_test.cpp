#include "platform/win32/command_line.h"

#include <gtest/gtest.h>

using win32::SplitCommandLine;
using Args = std::vector<std::string>;

TEST(SplitCommandLine, BlanksSeparateAndQuotesGroup) {
  EXPECT_EQ(SplitCommandLine("/e/nnn.exe -i /a/b.avi  -vol 256\t-ab 128"),
            (Args{"/e/nnn.exe", "-i", "/a/b.avi", "-vol", "256", "-ab", "128"}));
  EXPECT_EQ(SplitCommandLine("\"/dir with blank/prog\" \"a b\" c"), (Args{"/dir with blank/prog", "a b", "c"}));
  EXPECT_EQ(SplitCommandLine("prog a\"b c\"d"), (Args{"prog", "ab cd"}));
  EXPECT_EQ(SplitCommandLine("prog \"\""), (Args{"prog", ""}));
  EXPECT_EQ(SplitCommandLine("prog   "), (Args{"prog"}));
}

TEST(SplitCommandLine, BackslashesAreLiteralUnlessBeforeAQuote) {
  EXPECT_EQ(SplitCommandLine("c:\\dir\\prog.exe c:\\wyl.mp3 a\\\\b"),
            (Args{"c:\\dir\\prog.exe", "c:\\wyl.mp3", "a\\\\b"}));
  EXPECT_EQ(SplitCommandLine("prog a\\\"b"), (Args{"prog", "a\"b"}));           // odd: literal quote
  EXPECT_EQ(SplitCommandLine("prog \"a\\\\\" b"), (Args{"prog", "a\\", "b"}));  // even: quote closes
  EXPECT_EQ(SplitCommandLine("prog \"say \"\"hi\"\"\""), (Args{"prog", "say \"hi\""}));
}

TEST(SplitCommandLine, ShellCharactersAreOrdinary) {
  EXPECT_EQ(SplitCommandLine("prog a;rm -rf x $(id) `id` | > <"),
            (Args{"prog", "a;rm", "-rf", "x", "$(id)", "`id`", "|", ">", "<"}));
}
