#pragma once
// The output is written under a temporary name beside its final path and takes the final name
// only once it is complete: a failed, stopped or killed run never leaves a file there that could
// pass for a finished one, and never harms a file that was there before. Something at the path
// that is no regular file (a device such as /dev/null) is written directly.

#include <string>

namespace enginebin {

class OutputFileGuard {
 public:
  explicit OutputFileGuard(std::string path) : path_(std::move(path)) {}
  ~OutputFileGuard();  // removes the temporary file of an output that was not kept
  OutputFileGuard(const OutputFileGuard&) = delete;
  OutputFileGuard& operator=(const OutputFileGuard&) = delete;

  // Creates the file to write to and returns its name (the same one when called again). Throws
  // EngineError when it cannot.
  const std::string& create();
  // The written file takes its final name; a file already there is replaced only with replace.
  // Throws EngineError when that cannot be done.
  void keep(bool replace);

 private:
  std::string path_;        // as given
  std::string final_;       // where the file ends up: path_, or the file a link there names
  std::string writing_;     // what is written: a temporary file beside final_, or path_ itself
  bool temporary_ = false;  // writing_ is ours, to rename or to remove
};

// Whether something exists at the path (of any kind).
bool path_exists(const std::string& path);

// Whether the two paths name one and the same existing file.
bool same_file(const std::string& first, const std::string& second);

}  // namespace enginebin
