// TCP port on POSIX sockets: blocking use built on poll(2) with a self-pipe, so Cancel()
// from another thread ends a blocked connect, send or receive at once.
#pragma once

#include <memory>

#include "platform/Tcp.h"

namespace zavro::posix {

class PosixTcpFactory final : public ITcpFactory {
public:
    std::unique_ptr<ITcpSocket> Create() override;
};

}  // namespace zavro::posix
