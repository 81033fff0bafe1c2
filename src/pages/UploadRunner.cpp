#include "pages/UploadRunner.h"

#include <atomic>
#include <memory>
#include <thread>

#include "platform/Platform.h"
#include "router/ClientSocket.h"
#include "router/Function.h"

namespace zavro {

namespace {
// A socket that could not connect: its own reason, in the client's terms.
int NotConnected(const CClientSocket& socket, RouterFailure* why) {
    if (why) *why = {FailCauseOf(socket.LastError()), 0};
    return 0;
}
}  // namespace

int RunUpload(const UploadJob& job, std::istream& file, RouterFailure* why) {
    auto socket1 = std::make_unique<CClientSocket>();
    if (!ConnectClientSocket(job.address, 80, socket1.get())) return NotConnected(*socket1, why);
    auto socket2 = std::make_unique<CClientSocket>();
    if (!ConnectClientSocket(job.address, 80, socket2.get())) return NotConnected(*socket2, why);
    RouterFailure failure;

    std::atomic<int> result{0};
    ManualResetEvent done;
    ManualResetEvent cancel;
    std::thread worker([&] {
        CFunction function;
        function.m_pSocket = socket1.get();
        function.m_pSocket2 = socket2.get();
        function.m_strAuthPassword = job.password;
        if (function.UploadFirmware(job.path, file, job.model) == 1) {
            // The router needs a moment before it restarts on its own; a cancel ends it.
            if (!Ports().clock->Wait(cancel, kUploadSettleMs)) result = 1;
        }
        failure = function.LastFailure();
        done.Set();
    });
    if (!Ports().clock->Wait(done, kUploadLimitMs)) {
        // Too long: unblock the transfer, then wait for the worker before anything goes.
        cancel.Set();
        socket1->Cancel();
        socket2->Cancel();
        worker.join();
        if (why) *why = {FailCause::NoAnswer, 0};
        return 0;
    }
    worker.join();
    if (why) *why = failure;
    return result;
}

}  // namespace zavro
