// A fresh FAT file system mounted through FUSE, as a USB stick appears: no hard links, no modes,
// no rename without replacing. Needs /dev/fuse, mkfs.vfat (dosfstools) and fusefat; where any of
// them is missing, or the mount is refused, Missing() says why and tests skip with that text.
#pragma once

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "tests/support/temp_places.h"

namespace test_support {

class FatMount {
 public:
  explicit FatMount(bool writable = true, const std::string& size = "64M") {
    if (access("/dev/fuse", R_OK | W_OK) != 0) {
      missing_ = "no FAT file system through FUSE here: /dev/fuse cannot be opened";
      return;
    }
    for (const char* tool : {"/usr/bin/fusefat", "/usr/sbin/mkfs.vfat"}) {
      if (access(tool, X_OK) != 0) {
        missing_ =
            std::string("no FAT file system through FUSE here: ") + tool + " is missing (./setup.sh installs it)";
        return;
      }
    }
    const std::string image = folder_.str() + "/fat.img";
    std::filesystem::create_directory(Path());
    if (!Run("truncate -s " + size + " '" + image + "' && /usr/sbin/mkfs.vfat '" + image + "' >/dev/null 2>&1") ||
        !Run("/usr/bin/fusefat -o " + std::string(writable ? "rw+" : "ro") + " '" + image + "' '" + Path() +
             "' >/dev/null 2>&1") ||
        !Mounted()) {
      missing_ = "no FAT file system through FUSE here: fusefat could not mount an image";
    }
  }
  FatMount(const FatMount&) = delete;
  FatMount& operator=(const FatMount&) = delete;
  ~FatMount() {
    if (!Mounted()) return;
    // A file that was just closed can keep the mount busy for a moment.
    for (int attempt = 0; attempt < 50 && !Run("fusermount -u '" + Path() + "' >/dev/null 2>&1"); ++attempt)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }

  // Why there is no mount; empty when there is one.
  const std::string& Missing() const { return missing_; }
  // The mounted folder, without a trailing delimiter.
  std::string Path() const { return folder_.str() + "/mnt"; }

 private:
  static bool Run(const std::string& command) { return std::system(command.c_str()) == 0; }
  bool Mounted() const {
    struct stat mount {
    }, parent{};
    return stat(Path().c_str(), &mount) == 0 && stat(folder_.str().c_str(), &parent) == 0 &&
           mount.st_dev != parent.st_dev;
  }

  TempFolder folder_{"sonvarra-fat"};
  std::string missing_;
};

}  // namespace test_support
