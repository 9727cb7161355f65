#include "output_file_guard.h"

#include "console.h"
#include "engine_error.h"
#include "interruption.h"

#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

namespace enginebin {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kNameMax = 255;
constexpr char kTemporarySuffix[] = ".XXXXXX.part";

// The mode a new file gets from the process's file-creation mask.
mode_t default_file_mode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// Fails where the system cannot give a name without replacing (EINVAL): a hard link then
// refuses an existing name just as well.
int rename_without_replacing(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL) return -1;
  if (link(from.c_str(), to.c_str()) != 0) return -1;
  unlink(from.c_str());
  return 0;
}

}  // namespace

OutputFileGuard::~OutputFileGuard() {
  if (!temporary_) return;
  set_partial_output("");
  unlink(writing_.c_str());
}

const std::string& OutputFileGuard::create() {
  if (temporary_) return writing_;
  struct stat existing {};
  const bool exists = stat(path_.c_str(), &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode)) {
    // Devices are never ours to replace; a folder fails with its own reason when opened.
    writing_ = path_;
    return writing_;
  }
  final_ = path_;
  struct stat entry {};
  if (exists && lstat(path_.c_str(), &entry) == 0 && S_ISLNK(entry.st_mode)) {
    std::error_code error;
    const fs::path target = fs::canonical(path_, error);
    if (!error) final_ = target.string();
  }

  // Beside the final file, so that taking its name is a rename within one file system.
  const std::size_t slash = final_.find_last_of('/');
  const std::size_t name_begin = slash == std::string::npos ? 0 : slash + 1;
  std::string stem = final_;
  const std::size_t room = kNameMax - (sizeof kTemporarySuffix - 1);
  if (stem.size() - name_begin > room) stem.resize(name_begin + room);
  std::vector<char> name(stem.begin(), stem.end());
  name.insert(name.end(), kTemporarySuffix, kTemporarySuffix + sizeof kTemporarySuffix);
  const int fd = mkstemps(name.data(), 5);
  if (fd < 0)
    throw EngineError(format_text("Could not create the output file '%s' (%s)", path_.c_str(), std::strerror(errno)));
  fchmod(fd, exists ? existing.st_mode & 07777 : default_file_mode());
  close(fd);
  writing_ = name.data();
  temporary_ = true;
  set_partial_output(writing_);
  return writing_;
}

void OutputFileGuard::keep(bool replace) {
  if (!temporary_) return;
  const InterruptionHold hold;
  const int result =
      replace ? std::rename(writing_.c_str(), final_.c_str()) : rename_without_replacing(writing_, final_);
  if (result != 0) {
    const int error = errno;
    if (error == EEXIST) throw EngineError("The output file '" + path_ + "' already exists (give -y to replace it)");
    throw EngineError(format_text("Could not write to '%s' (%s)", path_.c_str(), std::strerror(error)));
  }
  temporary_ = false;
  set_partial_output("");
}

bool path_exists(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::symlink_status(path, error));
}

bool same_file(const std::string& first, const std::string& second) {
  std::error_code error;
  return fs::equivalent(first, second, error);
}

}  // namespace enginebin
