#include "batch/background_placement.h"

#include "batch/output_placement.h"

namespace batch {

BackgroundPlacement::BackgroundPlacement(const AnsiString& finished, const AnsiString& source, const AnsiString& folder,
                                         const AnsiString& extension, const AnsiString& target)
    : finished_file_(finished), source_(source), folder_(folder), extension_(extension), target_(target) {
  thread_ = std::thread([this] {
    error_ = MoveOutputIntoPlace(finished_file_, source_, folder_, extension_, target_, &cancelled_);
    finished_.store(true, std::memory_order_release);
  });
}

BackgroundPlacement::~BackgroundPlacement() {
  Cancel();
  thread_.join();
}

}  // namespace batch
