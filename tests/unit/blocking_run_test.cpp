#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "ui/BlockingRun.h"

namespace zavro {
namespace {

// A UI thread's event queue in miniature: other threads put events in, the pump takes
// them out on the UI thread and waits for more, as a toolkit's event loop does.
class EventQueue {
public:
    void Put(std::string event) {
        {
            std::lock_guard lock(m_mutex);
            m_events.push_back(std::move(event));
        }
        m_cv.notify_all();
    }
    void Wake() { Put({}); }
    // Waits for at least one event and hands out all there are.
    std::vector<std::string> TakeAll() {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [&] { return !m_events.empty(); });
        std::vector<std::string> out(m_events.begin(), m_events.end());
        m_events.clear();
        return out;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<std::string> m_events;
};

TEST(BlockingRunWorker, DeliveriesArrivingDuringTheWorkAreHeldInOrderAndTimersTickOnce) {
    CBlockingRun run;
    EventQueue queue;
    std::vector<std::string> delivered;
    std::vector<std::string> paintedDuringWork;
    int workResult = 0;  // written by the helper thread, read here after the run
    std::mutex gateMutex;
    std::condition_variable gateCv;
    bool gateOpen = false;

    // A worker of a page posts while the UI thread waits for the router.
    std::thread poster([&] {
        queue.Put("post:1");
        queue.Put("timer:11");
        queue.Put("paint");
        queue.Put("timer:11");  // a second tick before the first was delivered
        queue.Put("post:2");
        queue.Put("open-gate");
    });
    auto deliver = [&](const std::string& event) {
        if (event == "paint") {
            paintedDuringWork.push_back(event);  // painting goes on during the wait
            return;
        }
        if (event == "open-gate") {
            {
                std::lock_guard lock(gateMutex);
                gateOpen = true;
            }
            gateCv.notify_all();
            return;
        }
        const std::uintptr_t key = event.rfind("timer:", 0) == 0 ? 11 : 0;
        if (!run.Hold([&delivered, event] { delivered.push_back(event); }, key))
            delivered.push_back(event);
    };
    run.Run(
        [&] {
            // Blocks until the UI thread has seen every event: the work outlasts them.
            std::unique_lock lock(gateMutex);
            gateCv.wait(lock, [&] { return gateOpen; });
            workResult = 42;
        },
        [&] {
            EXPECT_TRUE(run.Busy());
            for (const std::string& event : queue.TakeAll())
                if (!event.empty()) deliver(event);
        },
        [&] { queue.Wake(); });
    poster.join();

    EXPECT_FALSE(run.Busy());
    EXPECT_EQ(workResult, 42);
    EXPECT_EQ(paintedDuringWork, std::vector<std::string>{"paint"});
    EXPECT_TRUE(delivered.empty()) << "nothing reaches a page during the work";
    for (auto& task : run.TakeHeld()) task();
    EXPECT_EQ(delivered, (std::vector<std::string>{"post:1", "timer:11", "post:2"}));
    EXPECT_TRUE(run.TakeHeld().empty());
    // Outside a run nothing is held.
    EXPECT_FALSE(run.Hold([] {}));
}

TEST(BlockingRunWorker, AFailingWorkEndsTheRunOnTheCallersThreadAndNestedRunsAreInline) {
    CBlockingRun run;
    EventQueue queue;
    const auto pump = [&] { queue.TakeAll(); };
    const auto wake = [&] { queue.Wake(); };
    EXPECT_THROW(run.Run([] { throw std::runtime_error("router gone"); }, pump, wake),
                 std::runtime_error);
    EXPECT_FALSE(run.Busy());

    const std::thread::id ui = std::this_thread::get_id();
    std::thread::id outer, inner;
    std::mutex gateMutex;
    std::condition_variable gateCv;
    bool gateOpen = false;
    run.Run(
        [&] {
            outer = std::this_thread::get_id();
            std::unique_lock lock(gateMutex);
            gateCv.wait(lock, [&] { return gateOpen; });
        },
        [&] {
            if (inner == std::thread::id{}) {
                // A run started from inside the pump does its work right there.
                run.Run([&] { inner = std::this_thread::get_id(); }, pump, wake);
                {
                    std::lock_guard lock(gateMutex);
                    gateOpen = true;
                }
                gateCv.notify_all();
            }
            queue.TakeAll();
        },
        wake);
    EXPECT_NE(outer, ui);
    EXPECT_EQ(inner, ui);
    EXPECT_FALSE(run.Busy());
}

}  // namespace
}  // namespace zavro
