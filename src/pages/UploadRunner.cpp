#include "pages/UploadRunner.h"

#include <atomic>
#include <memory>
#include <thread>

#include "platform/Platform.h"
#include "router/ClientSocket.h"
#include "router/Function.h"

namespace zavro {

int RunUpload(const UploadJob& job, std::istream& file) {
    auto socket1 = std::make_unique<CClientSocket>();
    if (!ConnectClientSocket(job.address, 80, socket1.get())) return 0;
    auto socket2 = std::make_unique<CClientSocket>();
    if (!ConnectClientSocket(job.address, 80, socket2.get())) return 0;

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
        done.Set();
    });
    if (!Ports().clock->Wait(done, kUploadLimitMs)) {
        // Too long: unblock the transfer, then wait for the worker before anything goes.
        cancel.Set();
        socket1->Cancel();
        socket2->Cancel();
        worker.join();
        return 0;
    }
    worker.join();
    return result;
}

}  // namespace zavro
