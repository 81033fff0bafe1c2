// After a restart without Internet: which step between this PC and the Internet page is
// the first to fail. Two bounded exchanges, for a worker thread (each blocks).
#pragma once

#include <cstdint>
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

// Each of the two exchanges (router login, Internet page) gets stepMs to connect and
// stepMs to answer.
InternetStep DiagnoseInternet(const std::string& password, std::uint32_t stepMs);

// "why_router_down", "why_login", "why_dns", "why_no_route", "why_site"; nullptr for Fine.
const char* InternetStepKey(InternetStep step);

}  // namespace zavro
