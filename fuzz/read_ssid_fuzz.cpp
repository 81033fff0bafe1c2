// ReadSsid on any answer body of the wireless page, through a scripted HTTP port that
// honours the read limit the way the adapters do.
#include <memory>
#include <string>

#include "FuzzInput.h"
#include "platform/Platform.h"
#include "router/Answers.h"
#include "router/Function.h"

namespace {

std::string g_body;
std::size_t g_limitSeen = 0;

class Connection final : public zavro::IHttpConnection {
public:
    zavro::HttpResult Send(const std::string&, const std::string&, const std::string&,
                           const std::string&, std::size_t readMax) override {
        g_limitSeen = readMax;
        return {true, 200, g_body.substr(0, readMax)};
    }
};
class Session final : public zavro::IHttpSession {
public:
    std::unique_ptr<zavro::IHttpConnection> Connect(const std::string&, std::uint16_t,
                                                    const std::string&,
                                                    const std::string&) override {
        return std::make_unique<Connection>();
    }
    bool OpenUrl(const std::string&, zavro::NetError*) override { return false; }
    void Cancel() override {}
};
class Client final : public zavro::IHttpClient {
public:
    std::unique_ptr<zavro::IHttpSession> Open(const std::string&, std::uint32_t) override {
        return std::make_unique<Session>();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Client client;
    zavro::Ports().http = &client;
    g_body.assign(reinterpret_cast<const char*>(data), size);

    zavro::CFunction function;
    const auto ssid = function.ReadSsid("admin");
    ZAVRO_FUZZ_CHECK(ssid.has_value());
    // What the page shows comes out of the part of the answer that was read.
    const std::string read = g_body.substr(0, g_limitSeen);
    ZAVRO_FUZZ_CHECK(ssid->size() <= read.size());
    ZAVRO_FUZZ_CHECK(ssid->find('\0') == std::string::npos);
    ZAVRO_FUZZ_CHECK(read.find(*ssid) != std::string::npos);

    // The extraction itself on the whole text, zero bytes and all.
    const std::string whole = zavro::router::ExtractSsid(g_body);
    ZAVRO_FUZZ_CHECK(g_body.find(whole) != std::string::npos);
    return 0;
}
