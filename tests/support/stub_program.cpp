// A stand-in child program for the process and runner tests. It runs its arguments as a script:
//   out TEXT | err TEXT   write TEXT (escapes \n \r \t \0 \\ \xHH) to stdout or stderr, unbuffered
//   sleep MS              pause
//   exit CODE             end with that exit code
//   forever               never end
//   args REST...          print each remaining argument as [arg] on a line of its own, then end
//   fds                   print the number of open descriptors
// and ends with exit code 0 after the last step.
#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string Unescape(const char* text) {
  std::string out;
  for (const char* p = text; *p; ++p) {
    if (*p != '\\' || p[1] == '\0') {
      out += *p;
      continue;
    }
    switch (*++p) {
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case '0': out += '\0'; break;
      case 'x': {
        const char hex[3] = {p[1], p[1] ? p[2] : '\0', '\0'};
        out += static_cast<char>(std::strtol(hex, nullptr, 16));
        p += 2;
        break;
      }
      default: out += *p;
    }
  }
  return out;
}

void WriteAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

int CountDescriptors() {
  DIR* dir = opendir("/proc/self/fd");
  if (dir == nullptr) return -1;
  int count = 0;
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] != '.') ++count;
  }
  closedir(dir);
  return count - 1;  // the listing's own descriptor
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string step = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : "";
    if (step == "out" || step == "err") {
      WriteAll(step == "out" ? 1 : 2, Unescape(value));
      ++i;
    } else if (step == "sleep") {
      usleep(static_cast<useconds_t>(std::atoi(value)) * 1000);
      ++i;
    } else if (step == "exit") {
      return std::atoi(value);
    } else if (step == "forever") {
      for (;;) pause();
    } else if (step == "args") {
      for (int j = i + 1; j < argc; ++j) WriteAll(1, "[" + std::string(argv[j]) + "]\n");
      return 0;
    } else if (step == "fds") {
      WriteAll(1, std::to_string(CountDescriptors()) + "\n");
    } else {
      WriteAll(2, "stub_program: unknown step " + step + "\n");
      return 99;
    }
  }
  return 0;
}
