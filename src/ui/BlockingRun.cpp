#include "ui/BlockingRun.h"

#include <atomic>
#include <exception>
#include <thread>

namespace zavro {

void CBlockingRun::Run(const std::function<void()>& work, const std::function<void()>& pump,
                       const std::function<void()>& wake) {
    struct Depth {
        int& depth;
        explicit Depth(int& d) : depth(d) { ++depth; }
        ~Depth() { --depth; }
    } depth(m_depth);
    if (m_depth > 1) {
        work();
        return;
    }
    std::atomic<bool> done{false};
    std::exception_ptr error;
    std::thread helper([&] {
        try {
            work();
        } catch (...) {
            error = std::current_exception();
        }
        done.store(true, std::memory_order_release);
        wake();
    });
    while (!done.load(std::memory_order_acquire)) pump();
    helper.join();  // wake() may still be running
    if (error) std::rethrow_exception(error);
}

bool CBlockingRun::Hold(std::function<void()> task, std::uintptr_t key) {
    if (m_depth == 0) return false;
    if (key != 0)
        for (const Held& held : m_held)
            if (held.key == key) return true;
    m_held.push_back(Held{key, std::move(task)});
    return true;
}

std::vector<std::function<void()>> CBlockingRun::TakeHeld() {
    std::vector<std::function<void()>> tasks;
    if (m_depth > 0) return tasks;
    tasks.reserve(m_held.size());
    for (Held& held : m_held) tasks.push_back(std::move(held.task));
    m_held.clear();
    return tasks;
}

}  // namespace zavro
