// A finished file on its way into the output folder on a thread of its own: a copy to a slow disk
// keeps no window waiting, and a cancel stops it without leaving a part of the file behind.
#pragma once

#include <atomic>
#include <thread>

#include "framework/sysutils.h"

namespace batch {

class BackgroundPlacement {
 public:
  // Starts moving finished to target, as MoveOutputIntoPlace does.
  BackgroundPlacement(const AnsiString& finished, const AnsiString& source, const AnsiString& folder,
                      const AnsiString& extension, const AnsiString& target);
  // Cancels what is left of the move and waits for its thread.
  ~BackgroundPlacement();
  BackgroundPlacement(const BackgroundPlacement&) = delete;
  BackgroundPlacement& operator=(const BackgroundPlacement&) = delete;

  // A copy under way stops and removes what it wrote; a file already in place stays there.
  void Cancel() { cancelled_ = true; }
  // The move has ended, one way or the other.
  bool Finished() const { return finished_.load(std::memory_order_acquire); }
  // Once Finished: ERROR_SUCCESS, ERROR_REQUEST_ABORTED after a cancel, or the move's error.
  DWORD Error() const { return error_; }
  // Once Finished: the name the file has, or would have had.
  const AnsiString& Target() const { return target_; }

 private:
  const AnsiString finished_file_, source_, folder_, extension_;
  AnsiString target_;  // written by the thread until finished_
  DWORD error_ = 0;    // written by the thread until finished_
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

}  // namespace batch
