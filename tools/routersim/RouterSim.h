// Simulated router: a real HTTP/1.1 server on loopback that speaks the three request
// dialects of the router families, keeps the router's settings, and can misbehave on
// request (fault modes) so the protocol client can be tested against every outcome.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace routersim {

struct Request {                          // one request as received, recorded raw
    std::string method, target, version;  // request line parts
    std::vector<std::pair<std::string, std::string>> headers;  // in order, as sent
    std::string body;  // exact body bytes (Content-Length), zero bytes kept
    std::string raw;   // request line + headers + body exactly as received
    int status = 0;    // status the simulator answered (0: none)
    // Bodies over 1 MiB are kept once, in body; raw then holds the head only.
    bool rawWithoutBody = false;
    // Bodies over Options::recordBodyLimit are not kept at all (body is empty).
    bool bodyOmitted = false;
    std::size_t bodySize = 0;                         // length of the body received
    std::string Header(std::string_view name) const;  // case-insensitive, "" if absent
};

struct State {
    std::string adminPassword = "5820";
    int wanType = 0;  // 0 untouched, 1 cable modem .. 6 BigPond (as the wizard numbers them)
    std::map<std::string, std::string> wan;  // every WAN field by the request's field name
    std::string ssid = "default";
    bool securityOn = false;
    std::string wpaKey;
    int webLanguage = 0;  // the selected_language value last set
    int reboots = 0;
    int firmwareUploads = 0;
    std::size_t firmwareBytes = 0;  // size of the last firmware image taken
    std::string firmwareName;       // filename parameter of the last upload
};

enum class FaultKind {
    None,
    NoAnswer,
    CloseWithoutAnswer,
    ResetMidTransfer,
    Slow,
    Status,
    Oversized,
    GarbageStatus,
    Stall  // takes the connection, then neither reads nor answers (the path is not known)
};

struct Fault {
    FaultKind kind = FaultKind::None;
    int status = 500;                        // for Status
    int count = -1;                          // number of requests it applies to; -1 until cleared
    unsigned slowDelayMs = 50;               // for Slow: delay between trickled bytes/chunks
    std::size_t oversizedBytes = 10u << 20;  // for Oversized
    std::size_t slowChunkBytes = 16;         // for Slow: bytes per trickled chunk
    // Requests it applies to, by path prefix ("" every one; "!/index.asp" every one whose
    // path does not begin with "/index.asp"). Requests it skips do not use up the count.
    std::string path;
    bool Applies(std::string_view requestPath) const;
};

struct Options {
    int model = 8;                   // router model code 1..8 selects the dialect
    std::string host = "127.0.0.1";  // loopback only; refuse anything else
    std::uint16_t port = 0;          // 0 = ephemeral
    std::uint16_t internetPort =
        0;                      // second loopback port serving the Internet page; 0 = ephemeral
    bool internetUp = true;     // false: the Internet port refuses/answers 503
    unsigned rebootDownMs = 0;  // unreachable this long after a reboot request
    // Also a firmware image taken restarts the router (without counting as a reboot).
    std::string stateFile;  // "" or a file that gets the masked state dump on every change
    // Bodies longer than this are recorded without their bytes (bodyOmitted).
    std::size_t recordBodyLimit = std::numeric_limits<std::size_t>::max();
    std::size_t maxRecorded = 0;  // keep only the last N requests; 0 keeps all
    // One line per request ("POST /goform/formReboot -> 200"); never the query or body.
    std::function<void(const std::string&)> log;
};

class Simulator {
public:
    explicit Simulator(Options options = {});
    ~Simulator();  // stops and joins every thread
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    bool Start();  // binds both ports; false on failure
    void Stop();
    std::uint16_t Port() const;
    std::uint16_t InternetPort() const;
    std::vector<Request> Requests() const;  // every request so far, in arrival order
    void ClearRequests();
    std::vector<Request> InternetRequests() const;  // requests to the Internet page
    State GetState() const;
    void SetState(const State& state);
    void SetFault(const Fault& fault);  // replaces the current fault
    Fault GetFault() const;             // what is left of the current fault
    void SetModel(int model);
    int Model() const;
    void SetInternetUp(bool up);
    // The router's own port refuses connections while down (a router switched off).
    void SetRouterDown(bool down);
    // 0: the Internet page answers normally; else it answers with this status.
    void SetInternetStatus(int status);

    // The simulator's name service. Tests hand Resolve to the HTTP adapter so that no
    // name ever goes to a real resolver: kInternetHost resolves to the loopback address
    // (unless switched off), numeric addresses to themselves, anything else not at all.
    static constexpr const char* kInternetHost = "internet.routersim.test";
    void SetInternetResolves(bool resolves);
    std::optional<std::string> Resolve(const std::string& name) const;
    // "http://internet.routersim.test:<internet port>/"
    std::string InternetUrl() const;
    // Connections to either port that the simulator still holds open.
    std::size_t OpenConnections() const;
    // Blocks (real time, bounded) until n requests were recorded; false on time-out.
    bool WaitForRequests(std::size_t n, unsigned realTimeoutMs = 5000) const;
    // The state as "GET /sim/status" shows it: JSON text, passwords and keys masked.
    std::string StatusText() const;

    struct Impl;

private:
    bool StartListening();
    std::unique_ptr<Impl> impl_;
};

// "none", "no-answer", "close", "reset", "slow", "status", "oversized", "garbage", "stall"
// with optional ":status" and ":count" (for kinds other than status a single number is
// the count), then an optional "@path" (see Fault::path). False on an unknown kind or a
// bad number.
bool ParseFault(std::string_view text, Fault& fault);

}  // namespace routersim
