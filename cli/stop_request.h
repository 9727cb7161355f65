// Ctrl-C and SIGTERM: a request that every part of the run sees and answers by stopping.
#pragma once

#include <atomic>
#include <functional>

namespace cli {

// From now on a termination request (Ctrl-C, SIGTERM) no longer ends the process; it sets the
// request, which the run then carries out.
void CatchStopRequests();

bool StopRequested();

// The request itself, for what polls it (a copy to another disk, say).
std::atomic<bool>* StopRequestFlag();

// What a request does at once, on the thread that receives it, besides being noted (ending every
// engine, say); nullptr for nothing. The action must be safe to call from any thread.
void SetStopAction(std::function<void()> action);

}  // namespace cli
