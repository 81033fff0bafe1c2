// After a restart without Internet: which step between this PC and the Internet page is
// the first to fail. Two bounded exchanges, for a worker thread (each blocks).
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

namespace zavro {

enum class InternetStep {
    Fine,         // everything answered
    RouterDown,   // the router does not answer
    RouterLogin,  // the router answers but refuses the password
    Dns,          // the Internet page's host name does not resolve
    NoRoute,      // no connection to the Internet page opens
    Site,         // the page was reached but answered with an error or not at all
};

class IHttpSession;

// Stops a diagnosis from another thread: its exchange in progress ends (the connection
// closes) and no later one starts.
class DiagnosisCancel {
public:
    void Cancel();

    // For the diagnosis: holds its session while open; false when already cancelled.
    bool Attach(IHttpSession* session);
    void Detach();

private:
    std::mutex m_mutex;
    bool m_cancelled = false;
    IHttpSession* m_session = nullptr;
};

// Each of the two exchanges (router login, Internet page) gets stepMs to connect and
// stepMs to answer. cancel (optional) stops it early; the finding then does not matter.
InternetStep DiagnoseInternet(const std::string& password, std::uint32_t stepMs,
                              DiagnosisCancel* cancel = nullptr);

// "why_router_down", "why_login", "why_dns", "why_no_route", "why_site"; nullptr for Fine.
const char* InternetStepKey(InternetStep step);

}  // namespace zavro
