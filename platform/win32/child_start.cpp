#include "platform/win32/child_start.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>

extern char** environ;

namespace win32::detail {
namespace {

// What the forked child needs, all made before the fork: after it, the child may only make
// async-signal-safe calls until it runs the program.
struct Prepared {
  const char* path;
  char* const* argv;
  char* const* envp;
  const int* standard;
  const char* currentDirectory;
  int descriptorLimit;
  pid_t parent;
  int report;  // write end of a close-on-exec pipe: the reason the child could not run the program
};

[[noreturn]] void FailInChild(int report) {
  const int error = errno;
  [[maybe_unused]] const ssize_t written = write(report, &error, sizeof error);
  _exit(127);
}

[[noreturn]] void BecomeChild(const Prepared& p) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  // The process may have died between the fork and that request; then no signal will ever come.
  if (getppid() != p.parent) _exit(127);

  struct sigaction byDefault {};
  byDefault.sa_handler = SIG_DFL;
  for (int signal = 1; signal < NSIG; ++signal) sigaction(signal, &byDefault, nullptr);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);

  int source[3];
  for (int slot = 0; slot < 3; ++slot) {
    source[slot] = p.standard[slot];
    if (source[slot] == kOwnStandard) continue;
    if (source[slot] == kNullDevice) source[slot] = open("/dev/null", slot == 0 ? O_RDONLY : O_WRONLY);
    // A source among the standard slots themselves moves out of the way before any is replaced.
    if (source[slot] >= 0 && source[slot] < 3) source[slot] = fcntl(source[slot], F_DUPFD_CLOEXEC, 3);
    if (source[slot] < 0) FailInChild(p.report);
  }
  for (int slot = 0; slot < 3; ++slot) {
    if (source[slot] != kOwnStandard && dup2(source[slot], slot) < 0) FailInChild(p.report);
  }
  if (p.currentDirectory != nullptr && chdir(p.currentDirectory) != 0) FailInChild(p.report);
  // Descriptors this process inherited without close-on-exec are not the child's either.
  if (close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
    for (int fd = 3; fd < p.descriptorLimit; ++fd)
      if (fd != p.report) close(fd);
  }
  execve(p.path, p.argv, p.envp);
  FailInChild(p.report);
}

// vfork: a copy of a large program's page tables (fork) costs tens of milliseconds per engine.
// The child borrows this thread's memory and stack until it runs the program, and makes only
// system calls meanwhile; signals stay blocked on this thread, so no handler of the program's
// runs in the child before its own are reset.
pid_t ForkChild(const Prepared& prepared) {
  const pid_t pid = vfork();
  if (pid == 0) BecomeChild(prepared);
  return pid;
}

// The one thread that starts every child; it ends only with the process.
class Forker {
 public:
  static Forker& Instance() {
    static Forker forker;
    return forker;
  }

  pid_t Fork(const Prepared& prepared, int& error) {
    std::lock_guard caller(callers_);
    std::unique_lock lock(mutex_);
    job_ = &prepared;
    done_ = false;
    wake_.notify_all();
    wake_.wait(lock, [this] { return done_; });
    error = error_;
    return pid_;
  }

 private:
  Forker() : thread_([this] { Serve(); }) {}
  ~Forker() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

  void Serve() {
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, nullptr);
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return stop_ || job_ != nullptr; });
      if (job_ == nullptr) return;
      pid_ = ForkChild(*job_);
      error_ = pid_ < 0 ? errno : 0;
      job_ = nullptr;
      done_ = true;
      wake_.notify_all();
    }
  }

  std::mutex callers_;  // one request at a time
  std::mutex mutex_;    // guards what follows, up to the thread
  std::condition_variable wake_;
  const Prepared* job_ = nullptr;
  bool done_ = false;
  bool stop_ = false;
  pid_t pid_ = -1;
  int error_ = 0;
  std::thread thread_;
};

bool IsRunnableFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The program as the system would run it: a name without a slash is looked up in PATH.
std::string Locate(const std::string& program) {
  if (program.find('/') != std::string::npos) return program;
  const char* variable = std::getenv("PATH");
  const std::string path = variable != nullptr ? variable : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  for (;;) {
    const std::size_t colon = path.find(':', start);
    const std::string folder = path.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    const std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
    if (IsRunnableFile(candidate)) return candidate;
    if (colon == std::string::npos) return "";
    start = colon + 1;
  }
}

int DescriptorLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > 65536) return 65536;
  return static_cast<int>(limit.rlim_cur);
}

void CloseDescriptor(int fd) {
  if (fd >= 0) close(fd);
}

}  // namespace

pid_t StartChild(const ChildStart& request) {
  const std::string path = Locate(request.program);
  if (path.empty() || request.args.empty()) {
    errno = ENOENT;
    return -1;
  }
  std::vector<std::string> args = request.args;
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> environment = request.environment;
  std::vector<char*> envp;
  for (std::string& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);

  int ends[2];
  if (pipe2(ends, O_CLOEXEC) != 0) return -1;
  // Kept clear of the standard slots, which the child fills.
  for (int& end : ends) {
    if (end < 3) {
      const int moved = fcntl(end, F_DUPFD_CLOEXEC, 3);
      close(end);
      end = moved;
    }
  }
  if (ends[0] < 0 || ends[1] < 0) {
    const int error = errno;
    CloseDescriptor(ends[0]);
    CloseDescriptor(ends[1]);
    errno = error;
    return -1;
  }

  const Prepared prepared{path.c_str(),
                          argv.data(),
                          request.ownEnvironment ? environ : envp.data(),
                          request.standard,
                          request.currentDirectory,
                          DescriptorLimit(),
                          getpid(),
                          ends[1]};
  int error = 0;
  const pid_t pid = Forker::Instance().Fork(prepared, error);
  close(ends[1]);
  if (pid < 0) {
    close(ends[0]);
    errno = error;
    return -1;
  }
  int childError = 0;
  ssize_t n;
  while ((n = read(ends[0], &childError, sizeof childError)) < 0 && errno == EINTR) {
  }
  close(ends[0]);
  if (n == static_cast<ssize_t>(sizeof childError)) {
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    errno = childError;
    return -1;
  }
  return pid;
}

}  // namespace win32::detail
