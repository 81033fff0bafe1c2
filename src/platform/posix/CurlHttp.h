// HTTP port on libcurl, with the semantics the router client was written against: one
// reused connection per IHttpConnection, the Basic challenge answered with the
// connection's account, object names and bodies sent byte for byte.
//
// Headers on the wire: the request line, "Host" (the address actually connected to),
// "Authorization: Basic ..." once the server has asked for it (and on every later request
// of the same connection), "User-Agent", "Content-Length" for a POST, then the caller's
// extra header lines. curl's own "Accept", "Expect: 100-continue" and form Content-Type
// are suppressed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Http.h"

namespace zavro::posix {

class CurlHttpClient final : public IHttpClient {
public:
    CurlHttpClient();
    ~CurlHttpClient() override;

    std::unique_ptr<IHttpSession> Open(const std::string& userAgent,
                                       std::uint32_t connectTimeoutMs) override;

    // Time limits for sessions opened from now on (tests, and the command line's
    // --timeout). connectMs 0 keeps the
    // session's connect time-out; receiveMs bounds each whole request (default: the
    // connect time-out), so a silent peer cannot hold a test.
    void SetTimeouts(std::uint32_t connectMs, std::uint32_t receiveMs);

    // Tests only: the names of the Internet check resolve through this hook (nullopt: the
    // name does not resolve), so no name is ever asked of the system's resolver.
    using Resolver = std::function<std::optional<std::string>(const std::string& name)>;
    void SetResolver(Resolver resolve);

    // Answer bytes read past readMax and thrown away before the transfer is cut.
    static constexpr std::size_t kDrainLimit = 64 * 1024;

private:
    std::uint32_t m_connectOverrideMs = 0;
    std::uint32_t m_receiveMs = 0;
    Resolver m_resolve;
};

// A socket errno as the transport failure it means; otherwise for anything else.
NetError NetErrorFromErrno(int error, NetError otherwise);

// The request target for an object name: a leading "/" added where missing; space,
// control bytes, DEL and bytes >= 0x80 percent-encoded; everything else unchanged.
std::string RequestTarget(const std::string& object);

}  // namespace zavro::posix
