// The one way the core waits on the UI thread: a router exchange, a sleep or a hidden
// program goes through the toolkit's RunBlocking, which keeps the window alive and shows
// the wait cursor. The caller's code stays sequential.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <type_traits>
#include <utility>

#include "platform/Platform.h"
#include "platform/Ui.h"

namespace zavro {

// When the outermost wait on the UI thread began (system clock), for the line that says
// how long a page has waited; nullopt outside a wait.
std::optional<std::uint64_t> WaitStartMs();

// Marks the outermost wait on the UI thread; its end takes the pages' waiting lines away.
class CWaitMark {
public:
    CWaitMark();
    ~CWaitMark();
    CWaitMark(const CWaitMark&) = delete;
    CWaitMark& operator=(const CWaitMark&) = delete;

private:
    bool m_outermost;
};

// Runs work through the toolkit (inline without one) and returns what work returns.
template <class F>
auto RunBlocking(F&& work) {
    using Result = std::invoke_result_t<F&>;
    IUiToolkit* ui = Ports().ui;
    const std::optional<CWaitMark> mark =
        ui != nullptr ? std::make_optional<CWaitMark>() : std::nullopt;
    if constexpr (std::is_void_v<Result>) {
        if (ui != nullptr)
            ui->RunBlocking([&] { work(); });
        else
            work();
    } else {
        std::optional<Result> result;
        if (ui != nullptr)
            ui->RunBlocking([&] { result.emplace(work()); });
        else
            result.emplace(work());
        return std::move(*result);
    }
}

}  // namespace zavro
