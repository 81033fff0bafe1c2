#include "router/ClientSocket.h"

#include <cstring>

#include "platform/Platform.h"
#include "router/Answers.h"

namespace zavro {

CClientSocket::CClientSocket() {
    std::memset(m_szBuffer, 0, sizeof m_szBuffer);
}

CClientSocket::~CClientSocket() = default;

void CClientSocket::Append(const char* data, std::size_t size) {
    const std::size_t used = std::strlen(m_szBuffer);
    const std::size_t room = kBufferSize - 1 - used;
    const void* zero = std::memchr(data, '\0', size);
    const std::size_t text =
        zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - data) : size;
    const std::size_t n = text < room ? text : room;
    std::memcpy(m_szBuffer + used, data, n);
    m_szBuffer[used + n] = '\0';
}

long CClientSocket::ReceiveRaw(char* data, std::size_t size) {
    if (!m_socket) return -1;
    return m_socket->Receive(data, size);
}

void CClientSocket::OnReceive(int nErrorCode) {
    char scratch[4096] = {};
    const long n = ReceiveRaw(scratch, kChunk);
    if (n > 0) {
        Append(scratch, static_cast<std::size_t>(n));
        m_nReceived += static_cast<std::int32_t>(n);
    }
    if (nErrorCode == 0) {
        m_bClosed = 0;
        m_bDataArrived = 1;
    }
}

void CClientSocket::OnSend(int) {}

void CClientSocket::OnConnect(int nErrorCode) {
    m_nReceived = 0;
    m_bClosed = 0;
    m_bDataArrived = 0;
    std::memset(m_szBuffer, 0, sizeof m_szBuffer);
    if (nErrorCode == 0) m_bConnected = 1;
}

void CClientSocket::OnClose(int nErrorCode) {
    if (nErrorCode == 0) m_bClosed = 1;
}

int CClientSocket::ReceiveChunk(int nFlag) {
    char scratch[4096] = {};
    const long n = ReceiveRaw(scratch, kChunk);
    if (n <= 0) return 0;
    Append(scratch, static_cast<std::size_t>(n));
    m_nReceived += static_cast<std::int32_t>(n);
    if (nFlag == 0) {
        m_bClosed = 0;
        m_bDataArrived = 1;
    }
    return 1;
}

std::string CClientSocket::FindValue(std::string_view marker, int nLength, int) {
    const std::size_t length = nLength > 0 ? static_cast<std::size_t>(nLength) : 0;
    return router::FindValueIn(m_szBuffer, kBufferSize, marker, length);
}

bool CClientSocket::Create() {
    ITcpFactory* tcp = Ports().tcp;
    if (!tcp) return false;
    m_socket = tcp->Create();
    return m_socket != nullptr;
}

bool CClientSocket::Connect(const std::string& host, std::uint16_t port) {
    m_bConnected = 0;
    if (!m_socket || !m_socket->Connect(host, port)) return false;
    OnConnect(0);
    return true;
}

long CClientSocket::Send(const void* data, std::size_t size) {
    if (!m_socket) return -1;
    return m_socket->Send(data, size);
}

void CClientSocket::Cancel() {
    if (m_socket) m_socket->Cancel();
}

void CClientSocket::Close() {
    if (m_socket) m_socket->Close();
}

NetError CClientSocket::LastError() const {
    // A socket that could not even be created has no route to anything.
    return m_socket ? m_socket->LastError() : NetError::Unreachable;
}

int ConnectClientSocket(const std::string&, int, CClientSocket* socket) {
    if (!socket || !socket->Create()) return 0;
    const Platform& ports = Ports();
    if (!socket->Connect(ports.routerHost, ports.routerPort)) return 0;
    if (ports.clock) ports.clock->SleepMs(10);
    return 1;
}

}  // namespace zavro
