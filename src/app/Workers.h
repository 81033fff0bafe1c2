// Background workers of the pages (the result page's waits). A worker never touches a
// page: it only posts to the page's window, which drops the message once the page is
// gone. Every worker is joined when the program (or a test) shuts the workers down.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/System.h"

namespace zavro {

// Starts fn on a new thread. fn gets the shut-down event to wait on instead of sleeping.
// stop (optional) ends fn's blocking calls early when the workers are shut down.
void StartWorker(std::function<void(ManualResetEvent& shutdown)> fn,
                 std::function<void()> stop = {});
// Sleeps ms through the clock; false when the workers are being shut down.
bool WorkerSleep(ManualResetEvent& shutdown, std::uint32_t ms);
// Asks every worker to stop and joins them all; new workers may start afterwards.
void StopAllWorkers();
// Number of workers that have not ended yet.
std::size_t RunningWorkers();

}  // namespace zavro
