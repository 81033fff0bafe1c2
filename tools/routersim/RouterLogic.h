// The router's behaviour behind the HTTP server: which paths each firmware family has,
// what makes a request well-formed in its dialect, how it changes the settings and what
// it answers. Not thread-safe; the server calls it under its lock.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "HttpWire.h"
#include "RouterSim.h"

namespace routersim {

enum class Dialect { FormPost, Query, FormEncoded };
Dialect DialectOf(int model);  // 1,3,4,5 form-post; 2,6,7 query; 8 form-encoded
std::string_view DialectName(Dialect dialect);

struct Reply {
    int status = 200;
    wire::Fields headers;  // besides Server, Content-Length and Connection
    std::string body;
    std::string rawAnswer;  // when not empty: sent byte for byte instead of the above
    bool close = false;
    enum class After { None, Reboot, FirmwareRestart } after = After::None;
    bool stateChanged = false;
};

// What the query-family upload handed out, to be matched by asp_updateFW.
struct PendingUpload {
    bool active = false;
    std::string fileToken;  // filename value handed out (holds '/')
    std::size_t startPos = 0, endPos = 0;
    std::size_t bytes = 0;
    std::string name;  // filename parameter of the multipart part
};

// The 301 answer to asp_upload, with the values placed where the client's parser reads.
std::string UploadRedirect(const PendingUpload& upload);

constexpr std::string_view kRealm = "Zavro Broadband Router";
constexpr std::string_view kSsidMarker = "document.wlanSetup.ssid.value!=";

class RouterLogic {
public:
    State state;
    int model = 8;

    Reply Handle(const Request& request);
    // JSON text of the state with every password and key masked.
    std::string StatusText(bool internetUp, std::size_t requests) const;

private:
    Reply Page(std::string_view path, bool head) const;
    Reply Apply(Dialect dialect, std::string_view path, const Request& request,
                const wire::Fields& fields);
    Reply Upload(Dialect dialect, std::string_view path, const Request& request);
    Reply UpdateFirmware(const wire::Fields& fields);

    PendingUpload pending_;
    unsigned uploadSerial_ = 0;
};

}  // namespace routersim
