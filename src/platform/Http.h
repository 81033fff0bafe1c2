// HTTP client port, shaped after what the router client needs (root session with a
// connect time-out, connections with account and password, requests, URL open).
// Adapters never throw across this port: a transport failure is reported in the result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/NetError.h"

namespace zavro {

struct HttpResult {
    bool ok = false;                  // false: the request could not be made or no answer came
    int status = 0;                   // numeric status of the answer when ok
    std::string body;                 // at most the readMax bytes asked for
    NetError error = NetError::None;  // why, when not ok
};

class IHttpConnection {
public:
    virtual ~IHttpConnection() = default;
    // One request on the connection (reused by later requests). object is sent as given
    // but for a leading '/' added where missing and bytes that cannot stand in a request
    // line percent-encoded. extraHeader: "" or header lines without the final CRLF.
    // body: exact bytes (a trailing zero byte is part of it where the caller put one).
    // The server's Basic challenge is answered with the connection's account.
    virtual HttpResult Send(const std::string& verb, const std::string& object,
                            const std::string& extraHeader, const std::string& body,
                            std::size_t readMax) = 0;
};

class IHttpSession {
public:
    virtual ~IHttpSession() = default;
    virtual std::unique_ptr<IHttpConnection> Connect(const std::string& host, std::uint16_t port,
                                                     const std::string& user,
                                                     const std::string& password) = 0;
    // Opens a whole URL (the Internet check); true when an answer with status < 400 came.
    // why (optional) gets the transport failure, or None when an answer came.
    virtual bool OpenUrl(const std::string& url, NetError* why = nullptr) = 0;
    // From any thread while the session exists: ends the session's exchange in progress at
    // once (its connections close) and makes every later call of it fail without touching
    // the network.
    virtual void Cancel() = 0;
};

class IHttpClient {
public:
    virtual ~IHttpClient() = default;
    virtual std::unique_ptr<IHttpSession> Open(const std::string& userAgent,
                                               std::uint32_t connectTimeoutMs) = 0;
};

}  // namespace zavro
