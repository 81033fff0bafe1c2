// Runs a firmware upload on a worker thread with its two raw sockets and a time limit.
#pragma once

#include <cstdint>
#include <istream>
#include <string>

#include "router/Failure.h"

namespace zavro {

struct UploadJob {
    std::string path;
    std::string address = "192.168.2.1";
    std::string user = "admin";
    std::string password;
    int model = 0;
};

constexpr std::uint32_t kUploadLimitMs = 300000;
constexpr std::uint32_t kUploadSettleMs = 10000;

// 1 when the image was uploaded (after the 10-second pause), 0 when a connection, the
// upload or the time limit failed. On a time-out the transfer is cancelled and the worker
// joined before the sockets go. why (optional) gets the reason of a failure: the socket's
// connect, the client's last exchange, or no answer within the limit.
int RunUpload(const UploadJob& job, std::istream& file, RouterFailure* why = nullptr);

}  // namespace zavro
