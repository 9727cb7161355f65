// The program's command line, read before the toolkit starts so that --help and --version need no
// display: the program's own options, the toolkit's options (passed on to it), and the files.
#pragma once

#include <optional>
#include <ostream>
#include <vector>

#include "framework/sysutils.h"

struct TCommandLine {
  // The program's name and the toolkit's options, for the toolkit to take, ending in a null.
  std::vector<char*> toolkitArguments;
  int toolkitArgumentCount = 0;
  std::vector<AnsiString> files;  // as given, in order
  std::optional<int> exitCode;    // the program ends at once with it: after --help, --version or a mistake
};

// --help and --version print to out and end with 0; an option neither the program nor the toolkit
// knows, or a toolkit option without its value, prints the mistake and the usage to errors and ends
// with 2. After "--" every argument is a file.
TCommandLine ReadCommandLine(int argc, char* argv[], std::ostream& out, std::ostream& errors);
