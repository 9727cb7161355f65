// sonvarra-cli: the batch of the window as a command, for scripts and large jobs.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/options.h"
#include "cli/usage_error.h"

int main(int argc, char* argv[]) {
  cli::Options options;
  try {
    options = cli::ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const cli::UsageError& error) {
    std::fprintf(stderr, "sonvarra-cli: %s\n%s\nTry 'sonvarra-cli --help' for more.\n", error.what(), cli::kUsageLine);
    return cli::kUsageExit;
  }
  if (options.Help) {
    std::fputs(cli::HelpText().c_str(), stdout);
    return 0;
  }
  if (options.Version) {
    std::puts("sonvarra-cli 1.0");
    return 0;
  }
  return cli::RunCommand(options);
}
