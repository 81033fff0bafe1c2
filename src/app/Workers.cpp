#include "app/Workers.h"

#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/Platform.h"

namespace zavro {

namespace {
struct Worker {
    std::thread thread;
    std::function<void()> stop;
    std::atomic<bool> done{false};
};
std::mutex g_mutex;
std::list<std::unique_ptr<Worker>> g_workers;
ManualResetEvent g_shutdown;
}  // namespace

void StartWorker(std::function<void(ManualResetEvent& shutdown)> fn, std::function<void()> stop) {
    std::lock_guard lock(g_mutex);
    // Forget the ones that have ended.
    for (auto it = g_workers.begin(); it != g_workers.end();) {
        if ((*it)->done) {
            (*it)->thread.join();
            it = g_workers.erase(it);
        } else {
            ++it;
        }
    }
    auto worker = std::make_unique<Worker>();
    Worker* w = worker.get();
    w->stop = std::move(stop);
    w->thread = std::thread([w, fn = std::move(fn)] {
        fn(g_shutdown);
        w->done = true;
    });
    g_workers.push_back(std::move(worker));
}

bool WorkerSleep(ManualResetEvent& shutdown, std::uint32_t ms) {
    return !Ports().clock->Wait(shutdown, ms);
}

void StopAllWorkers() {
    std::list<std::unique_ptr<Worker>> workers;
    {
        std::lock_guard lock(g_mutex);
        workers.swap(g_workers);
    }
    g_shutdown.Set();
    for (auto& w : workers)
        if (w->stop) w->stop();
    for (auto& w : workers) w->thread.join();
    g_shutdown.Reset();
}

std::size_t RunningWorkers() {
    std::lock_guard lock(g_mutex);
    std::size_t n = 0;
    for (auto& w : g_workers) n += w->done ? 0 : 1;
    return n;
}

}  // namespace zavro
