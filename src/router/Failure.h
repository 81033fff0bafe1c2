// Why the router client's last exchange failed, kept beside its unchanged result code so
// that a front end can tell the user what to do about it.
#pragma once

namespace zavro {

enum class FailCause {
    None,            // the last exchange succeeded, or none was made
    Unreachable,     // no route to the router (cable, wrong network)
    Refused,         // the router refused the connection
    ConnectTimeout,  // the connection attempt timed out
    NoAnswer,        // connected, but no answer came in time
    Closed,          // the router closed or reset the connection
    HttpStatus,      // the router answered with an error status (see httpStatus)
    Login,           // the router refused the password (401)
    Garbled,         // an answer that cannot be understood
    Unresolved,      // the host name did not resolve
};

struct RouterFailure {
    FailCause cause = FailCause::None;
    int httpStatus = 0;  // the status number for HttpStatus and Login
};

// Stable short name for logs and machine-readable output: "unreachable", "refused",
// "connect_timeout", "no_answer", "closed", "http", "login", "garbled", "unresolved";
// "" for None.
inline const char* FailCauseName(FailCause cause) {
    switch (cause) {
        case FailCause::None: return "";
        case FailCause::Unreachable: return "unreachable";
        case FailCause::Refused: return "refused";
        case FailCause::ConnectTimeout: return "connect_timeout";
        case FailCause::NoAnswer: return "no_answer";
        case FailCause::Closed: return "closed";
        case FailCause::HttpStatus: return "http";
        case FailCause::Login: return "login";
        case FailCause::Garbled: return "garbled";
        case FailCause::Unresolved: return "unresolved";
    }
    return "";
}

}  // namespace zavro
