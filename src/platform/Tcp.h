// TCP socket port: blocking stream sockets, cancellable from another thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/NetError.h"

namespace zavro {

class ITcpSocket {
public:
    virtual ~ITcpSocket() = default;
    virtual bool Connect(const std::string& host, std::uint16_t port) = 0;
    // Blocking; returns bytes sent, 0 when the peer closed, -1 on error or cancel.
    virtual long Send(const void* data, std::size_t size) = 0;
    // Blocking; returns bytes received, 0 when the peer closed, -1 on error or cancel.
    virtual long Receive(void* buffer, std::size_t size) = 0;
    // Safe from any thread: a blocked Send or Receive returns -1 at once.
    virtual void Cancel() = 0;
    virtual void Close() = 0;
    // Why the last failed Connect, Send or Receive failed (Closed for a peer that closed).
    virtual NetError LastError() const { return NetError::None; }
};

class ITcpFactory {
public:
    virtual ~ITcpFactory() = default;
    virtual std::unique_ptr<ITcpSocket> Create() = 0;
    // Whether the platform's socket layer started; without it the program cannot run.
    virtual bool Startup() { return true; }
};

}  // namespace zavro
