// The firmware upload's answer handling on scripted sockets: the first answer is judged
// and, for the query family, its redirect is read and turned into the second request,
// which must stay a well-formed request whatever the router sent.
#include <algorithm>
#include <cstring>
#include <deque>
#include <sstream>
#include <string>

#include "FuzzInput.h"
#include "platform/Platform.h"
#include "router/ClientSocket.h"
#include "router/Function.h"

namespace {

struct Peer {
    std::string answer;  // handed out by the first Receive (at most the asked size)
    std::string sent;
};

class ScriptedSocket final : public zavro::ITcpSocket {
public:
    explicit ScriptedSocket(Peer& peer) : m_peer(peer) {}
    bool Connect(const std::string&, std::uint16_t) override { return true; }
    long Send(const void* data, std::size_t size) override {
        m_peer.sent.append(static_cast<const char*>(data), size);
        return static_cast<long>(size);
    }
    long Receive(void* buffer, std::size_t size) override {
        if (m_given || m_peer.answer.empty()) return 0;
        m_given = true;
        const std::size_t n = std::min(size, m_peer.answer.size());
        std::memcpy(buffer, m_peer.answer.data(), n);
        return static_cast<long>(n);
    }
    void Cancel() override {}
    void Close() override {}

private:
    Peer& m_peer;
    bool m_given = false;
};

class ScriptedFactory final : public zavro::ITcpFactory {
public:
    std::deque<Peer*> peers;
    std::unique_ptr<zavro::ITcpSocket> Create() override {
        Peer* peer = peers.front();
        peers.pop_front();
        return std::make_unique<ScriptedSocket>(*peer);
    }
};

// Content-Length of a request head, -1 when it has none.
long long ContentLength(std::string_view request) {
    constexpr std::string_view kName = "\r\nContent-Length: ";
    const std::size_t at = request.find(kName);
    if (at == std::string_view::npos) return -1;
    return std::stoll(std::string(request.substr(at + kName.size(), 20)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zavro::fuzz::Input in(data, size);
    const int model = (in.Byte() & 1) ? 8 : 2;
    const std::size_t firstSize = in.Word();
    const std::string_view rest = in.RestText();
    Peer first{std::string(rest.substr(0, firstSize)), {}};
    Peer second{std::string(rest.substr(std::min(firstSize, rest.size()))), {}};

    ScriptedFactory factory;
    factory.peers = {&first, &second};
    zavro::Platform& ports = zavro::Ports();
    ports.tcp = &factory;
    ports.routerHost = "127.0.0.1";  // the scripted sockets connect nowhere anyway
    zavro::CClientSocket socket1, socket2;
    ZAVRO_FUZZ_CHECK(zavro::ConnectClientSocket("127.0.0.1", 80, &socket1) == 1);
    ZAVRO_FUZZ_CHECK(zavro::ConnectClientSocket("127.0.0.1", 80, &socket2) == 1);

    zavro::CFunction function;
    function.m_pSocket = &socket1;
    function.m_pSocket2 = &socket2;
    function.m_strAuthPassword = "admin";
    std::istringstream image(
        std::string("\x7F"
                    "ELF-image",
                    10));
    const int result = function.UploadFirmware("Firmware.bin", image, model);
    ports.tcp = nullptr;

    ZAVRO_FUZZ_CHECK(result == 0 || result == 1);
    ZAVRO_FUZZ_CHECK(std::strlen(socket1.Text()) < zavro::CClientSocket::kBufferSize);
    if (model == 8) {
        ZAVRO_FUZZ_CHECK(second.sent.empty());
        return 0;
    }
    if (second.sent.empty()) {
        ZAVRO_FUZZ_CHECK(result == 0);
        return 0;
    }
    // The second request: one head line per CRLF, and a body as long as it says.
    const std::string& request = second.sent;
    ZAVRO_FUZZ_CHECK(request.rfind("POST /goform/asp_updateFW HTTP/1.1\r\nReferer: http://", 0) ==
                     0);
    const std::size_t end = request.find("\r\n\r\n");
    ZAVRO_FUZZ_CHECK(end != std::string::npos);
    const long long length = ContentLength(request);
    ZAVRO_FUZZ_CHECK(length >= 0 && static_cast<std::size_t>(length) == request.size() - end - 4);
    return 0;
}
