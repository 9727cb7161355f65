// A private set of the per-user places for one test: Windows directory, temporary root, home
// folder, the user's configuration folder and the program's module path (beside which
// "settings.ini" lives), all under one fresh folder.
// Restores the environment on destruction.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>

namespace test_support {

class ScopedEnvironment {
 public:
  ScopedEnvironment() = default;
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
  ~ScopedEnvironment() {
    for (const auto& [name, value] : saved_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
  }
  void Set(const std::string& name, const std::string& value) {
    if (!saved_.count(name)) {
      const char* old = std::getenv(name.c_str());
      saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
    }
    setenv(name.c_str(), value.c_str(), 1);
  }

 private:
  std::map<std::string, std::optional<std::string>> saved_;
};

class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix = "sonvarra-test") {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

class TempPlaces {
 public:
  TempPlaces() {
    for (const char* sub : {"windows", "temp", "home", "program", "config"})
      std::filesystem::create_directories(root_.path() / sub);
    env_.Set("SONVARRA_WINDOWS_DIR", WindowsDir());
    env_.Set("SONVARRA_TEMP_DIR", TempDir());
    env_.Set("SONVARRA_HOME_DIR", HomeDir());
    env_.Set("SONVARRA_MODULE_PATH", ProgramDir() + "/sonvarra");
    env_.Set("XDG_CONFIG_HOME", ConfigDir());
  }
  std::string Root() const { return root_.str(); }
  std::string WindowsDir() const { return (root_.path() / "windows").string(); }
  std::string TempDir() const { return (root_.path() / "temp").string(); }
  std::string HomeDir() const { return (root_.path() / "home").string(); }
  std::string ProgramDir() const { return (root_.path() / "program").string(); }
  std::string ConfigDir() const { return (root_.path() / "config").string(); }
  std::string SettingsFile() const { return ProgramDir() + "/settings.ini"; }
  // Where an installed program whose folder takes no new files keeps it.
  std::string UserSettingsFile() const { return ConfigDir() + "/sonvarra/settings.ini"; }
  ScopedEnvironment& Environment() { return env_; }

 private:
  TempFolder root_;
  ScopedEnvironment env_;
};

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::filesystem::path& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
}

}  // namespace test_support
