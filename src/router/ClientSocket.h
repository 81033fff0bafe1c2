// Raw TCP socket of the firmware upload. It wraps a blocking socket of the TCP port and
// keeps the received text in a fixed buffer the way the upload reads it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Tcp.h"

namespace zavro {

class CClientSocket {
public:
    static constexpr std::size_t kBufferSize = 8192;
    static constexpr std::size_t kChunk = 4092;

    CClientSocket();
    virtual ~CClientSocket();
    CClientSocket(const CClientSocket&) = delete;
    CClientSocket& operator=(const CClientSocket&) = delete;

    // Platform notifications; the blocking use calls OnConnect itself.
    virtual void OnReceive(int nErrorCode);
    virtual void OnSend(int nErrorCode);
    virtual void OnConnect(int nErrorCode);
    virtual void OnClose(int nErrorCode);

    // One blocking receive of up to 4092 bytes appended to the buffer. 1 when at least one
    // byte arrived, 0 when the peer closed or the receive failed (nothing changes then).
    int ReceiveChunk(int nFlag);
    // See router::FindValueIn; nUnused has no effect.
    virtual std::string FindValue(std::string_view marker, int nLength, int nUnused);

    // Opens the underlying socket and connects it (used by ConnectClientSocket).
    bool Create();
    bool Connect(const std::string& host, std::uint16_t port);
    // Blocking send of the whole buffer: bytes sent, or -1 on error or cancel.
    long Send(const void* data, std::size_t size);
    // Safe from any thread: a blocked send or receive returns at once with an error.
    void Cancel();
    void Close();
    // Why the last connect, send or receive failed (Closed after the peer closed).
    NetError LastError() const;

    // Received text: at most 8191 bytes, always zero-terminated.
    const char* Text() const { return m_szBuffer; }

    int m_bClosed = 0;
    std::int32_t m_nReceived = 0;
    int m_bConnected = 0;
    int m_bDataArrived = 0;
    char m_szBuffer[kBufferSize];

private:
    // Appends text up to its first zero byte, dropping what does not fit.
    void Append(const char* data, std::size_t size);
    long ReceiveRaw(char* data, std::size_t size);

    std::unique_ptr<ITcpSocket> m_socket;
};

// Creates and connects the caller's socket to the router (the address and port configured
// in Ports(), whatever the caller names). 1 when connected, 0 otherwise.
int ConnectClientSocket(const std::string& address, int port, CClientSocket* socket);

}  // namespace zavro
