#include "output_file_guard.h"

#include <filesystem>
#include <system_error>

namespace enginebin {

namespace fs = std::filesystem;

OutputFileGuard::~OutputFileGuard() {
  if (!armed_)
    return;
  // Devices and folders at the output path (/dev/null, say) are never ours to remove.
  std::error_code error;
  if (fs::is_regular_file(path_, error))
    fs::remove(path_, error);
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
