#pragma once
// Makes sure that a conversion that did not complete leaves nothing at the output path, so that
// no half-written file can pass for a finished one.

#include <string>

namespace enginebin {

class OutputFileGuard {
 public:
  explicit OutputFileGuard(std::string path) : path_(std::move(path)) {}
  ~OutputFileGuard();
  OutputFileGuard(const OutputFileGuard&) = delete;
  OutputFileGuard& operator=(const OutputFileGuard&) = delete;

  // From now on a failure removes whatever regular file is at the path (written by us, or
  // about to be replaced at the caller's request).
  void arm() { armed_ = true; }
  // The output is complete: leave it.
  void keep() { armed_ = false; }

 private:
  std::string path_;
  bool armed_ = false;
};

// Whether something exists at the path (of any kind).
bool path_exists(const std::string& path);

// Whether the two paths name one and the same existing file.
bool same_file(const std::string& first, const std::string& second);

}  // namespace enginebin
