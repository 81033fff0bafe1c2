#include "router/Diagnosis.h"

#include "platform/Platform.h"

namespace zavro {

void DiagnosisCancel::Cancel() {
    std::lock_guard lock(m_mutex);
    m_cancelled = true;
    if (m_session) m_session->Cancel();
}

bool DiagnosisCancel::Attach(IHttpSession* session) {
    std::lock_guard lock(m_mutex);
    if (m_cancelled) return false;
    m_session = session;
    return true;
}

void DiagnosisCancel::Detach() {
    std::lock_guard lock(m_mutex);
    m_session = nullptr;
}

InternetStep DiagnoseInternet(const std::string& password, std::uint32_t stepMs,
                              DiagnosisCancel* cancel) {
    const Platform& ports = Ports();
    if (!ports.http) return InternetStep::RouterDown;
    const auto session = ports.http->Open("Zavro", stepMs);
    if (!session) return InternetStep::RouterDown;
    // Detached before the session goes, so Cancel never reaches a session that is gone.
    struct Attached {
        DiagnosisCancel* cancel;
        ~Attached() {
            if (cancel) cancel->Detach();
        }
    } attached{cancel && cancel->Attach(session.get()) ? cancel : nullptr};
    if (cancel && !attached.cancel) return InternetStep::RouterDown;

    // The same login the wizard's own requests begin with.
    const auto connection = session->Connect(ports.routerHost, ports.routerPort, "admin", password);
    const HttpResult login =
        connection ? connection->Send("GET", "index.asp", {}, {}, 0) : HttpResult{};
    if (!login.ok) return InternetStep::RouterDown;
    if (login.status == 401) return InternetStep::RouterLogin;

    NetError why = NetError::None;
    if (session->OpenUrl(ports.homeUrl, &why)) return InternetStep::Fine;
    switch (why) {
        case NetError::Unresolved:
            return InternetStep::Dns;
        case NetError::Unreachable:
        case NetError::Refused:
        case NetError::ConnectTimeout:
            return InternetStep::NoRoute;
        // An error status (None), or a connection that opened and then failed.
        case NetError::None:
        case NetError::NoAnswer:
        case NetError::Closed:
        case NetError::Garbled:
            break;
    }
    return InternetStep::Site;
}

const char* InternetStepKey(InternetStep step) {
    switch (step) {
        case InternetStep::Fine:
            return nullptr;
        case InternetStep::RouterDown:
            return "why_router_down";
        case InternetStep::RouterLogin:
            return "why_login";
        case InternetStep::Dns:
            return "why_dns";
        case InternetStep::NoRoute:
            return "why_no_route";
        case InternetStep::Site:
            return "why_site";
    }
    return nullptr;
}

}  // namespace zavro
