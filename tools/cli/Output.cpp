#include "Output.h"

#include <cstdio>

namespace zavro::cli {

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (b < 0x20 || b == 0x7F) {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\u%04x", b);
                    out += hex;
                } else {
                    out += c;
                }
        }
    }
    return out + "\"";
}

std::string Answer::Json() const {
    std::string out = "{";
    for (const auto& [key, value] : m_fields) {
        if (out.size() > 1) out += ",";
        out += JsonString(key) + ":" + value;
    }
    return out + "}";
}

std::string DescribeFailure(const RouterFailure& failure) {
    switch (failure.cause) {
        case FailCause::None:
            return "";
        case FailCause::Unreachable:
            return "no route to the router";
        case FailCause::Refused:
            return "the router refused the connection";
        case FailCause::ConnectTimeout:
            return "the connection to the router timed out";
        case FailCause::NoAnswer:
            return "the router did not answer in time";
        case FailCause::Closed:
            return "the router closed the connection";
        case FailCause::HttpStatus:
            return "the router answered with HTTP status " + std::to_string(failure.httpStatus);
        case FailCause::Login:
            return "the router refused the password";
        case FailCause::Garbled:
            return "the router's answer could not be understood";
        case FailCause::Unresolved:
            return "the router's name could not be resolved";
    }
    return "";
}

}  // namespace zavro::cli
