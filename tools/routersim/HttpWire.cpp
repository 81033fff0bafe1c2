#include "HttpWire.h"

#include <cctype>

namespace routersim::wire {
namespace {

bool IsTokenChar(unsigned char c) {
    if (std::isalnum(c)) return true;
    return std::string_view("!#$%&'*+-.^_`|~").find(static_cast<char>(c)) != std::string_view::npos;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// Value of parameter key in a header value like `form-data; name="x"; filename="y"`.
std::optional<std::string> Param(std::string_view value, std::string_view key) {
    std::size_t pos = 0;
    while (pos <= value.size()) {
        std::size_t semi = value.find(';', pos);
        // A quoted value may hold ';': skip over the quotes when looking for the end.
        std::size_t eq = value.find('=', pos);
        if (eq != std::string_view::npos && (semi == std::string_view::npos || eq < semi)) {
            std::string_view name = Trim(value.substr(pos, eq - pos));
            std::size_t vstart = eq + 1;
            std::string val;
            std::size_t next;
            if (vstart < value.size() && value[vstart] == '"') {
                std::size_t close = value.find('"', vstart + 1);
                if (close == std::string_view::npos) return std::nullopt;
                val = std::string(value.substr(vstart + 1, close - vstart - 1));
                next = value.find(';', close);
            } else {
                next = semi;
                val = std::string(Trim(value.substr(
                    vstart, (next == std::string_view::npos ? value.size() : next) - vstart)));
            }
            if (EqualsNoCase(name, key)) return val;
            if (next == std::string_view::npos) break;
            pos = next + 1;
        } else {
            if (semi == std::string_view::npos) break;
            pos = semi + 1;
        }
    }
    return std::nullopt;
}

}  // namespace

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string FindHeader(const Fields& headers, std::string_view name) {
    for (const auto& [key, value] : headers) {
        if (EqualsNoCase(key, name)) return value;
    }
    return {};
}

HeadStatus ParseHead(std::string_view data, Head& head) {
    std::size_t end = data.find("\r\n\r\n");
    if (end == std::string_view::npos) {
        return data.size() > kMaxHeadBytes ? HeadStatus::Bad : HeadStatus::Incomplete;
    }
    if (end + 4 > kMaxHeadBytes) return HeadStatus::Bad;
    std::string_view text = data.substr(0, end + 2);  // every line with its CRLF
    head = Head{};
    head.size = end + 4;

    // A bare CR or LF anywhere in the head is refused: lines end in CRLF only.
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) return HeadStatus::Bad;
        if (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))
            return HeadStatus::Bad;
    }

    std::size_t lineEnd = text.find("\r\n");
    std::string_view line = text.substr(0, lineEnd);
    std::size_t sp1 = line.find(' ');
    if (sp1 == std::string_view::npos) return HeadStatus::Bad;
    std::size_t sp2 = line.find(' ', sp1 + 1);
    if (sp2 == std::string_view::npos) return HeadStatus::Bad;
    std::string_view method = line.substr(0, sp1);
    std::string_view target = line.substr(sp1 + 1, sp2 - sp1 - 1);
    std::string_view version = line.substr(sp2 + 1);
    if (method.empty() || target.empty()) return HeadStatus::Bad;
    for (char c : method) {
        if (!IsTokenChar(static_cast<unsigned char>(c))) return HeadStatus::Bad;
    }
    // A third space means a raw space inside the target.
    for (char c : target) {
        auto u = static_cast<unsigned char>(c);
        if (u <= 0x20 || u == 0x7F) return HeadStatus::Bad;
    }
    if (target.front() != '/') return HeadStatus::Bad;
    if (version != "HTTP/1.1" && version != "HTTP/1.0") return HeadStatus::Bad;
    head.method = std::string(method);
    head.target = std::string(target);
    head.version = std::string(version);

    std::size_t pos = lineEnd + 2;
    while (pos < text.size()) {
        std::size_t e = text.find("\r\n", pos);
        std::string_view h = text.substr(pos, e - pos);
        pos = e + 2;
        if (h.front() == ' ' || h.front() == '\t') return HeadStatus::Bad;  // folded line
        std::size_t colon = h.find(':');
        if (colon == std::string_view::npos || colon == 0) return HeadStatus::Bad;
        std::string_view name = h.substr(0, colon);
        for (char c : name) {
            if (!IsTokenChar(static_cast<unsigned char>(c))) return HeadStatus::Bad;
        }
        std::string_view value = Trim(h.substr(colon + 1));
        for (char c : value) {
            auto u = static_cast<unsigned char>(c);
            if ((u < 0x20 && u != '\t') || u == 0x7F) return HeadStatus::Bad;
        }
        head.headers.emplace_back(std::string(name), std::string(value));
    }
    return HeadStatus::Ok;
}

std::optional<std::size_t> ContentLength(const Head& head) {
    std::optional<std::size_t> length;
    for (const auto& [key, value] : head.headers) {
        if (!EqualsNoCase(key, "Content-Length")) continue;
        if (value.empty() || value.size() > 15) return std::nullopt;
        std::size_t n = 0;
        for (char c : value) {
            if (c < '0' || c > '9') return std::nullopt;
            n = n * 10 + static_cast<std::size_t>(c - '0');
        }
        if (length && *length != n) return std::nullopt;
        length = n;
    }
    return length.value_or(0);
}

std::string PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int hi = HexValue(text[i + 1]);
            int lo = HexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out.push_back(static_cast<char>(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

Fields ParseQuery(std::string_view text) {
    Fields fields;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t amp = text.find('&', pos);
        std::string_view piece =
            text.substr(pos, (amp == std::string_view::npos ? text.size() : amp) - pos);
        if (!piece.empty()) {
            std::size_t eq = piece.find('=');
            if (eq == std::string_view::npos) {
                fields.emplace_back(PercentDecode(piece), std::string());
            } else {
                fields.emplace_back(PercentDecode(piece.substr(0, eq)),
                                    PercentDecode(piece.substr(eq + 1)));
            }
        }
        if (amp == std::string_view::npos) break;
        pos = amp + 1;
    }
    return fields;
}

std::string_view StripOneNul(std::string_view body) {
    if (!body.empty() && body.back() == '\0') body.remove_suffix(1);
    return body;
}

bool ParseMultipart(std::string_view body, std::string_view boundary, std::vector<Part>& parts) {
    parts.clear();
    if (boundary.empty()) return false;
    const std::string first = "--" + std::string(boundary);
    const std::string delimiter = "\r\n" + first;
    if (body.substr(0, first.size()) != first) return false;
    std::size_t pos = first.size();
    for (;;) {
        std::string_view rest = body.substr(pos);
        if (rest.substr(0, 2) == "--") {
            // Closing delimiter; only a line break may follow it.
            rest.remove_prefix(2);
            return rest.empty() || rest == "\r\n";
        }
        if (rest.substr(0, 2) != "\r\n") return false;
        pos += 2;
        std::size_t headEnd = body.find("\r\n\r\n", pos);
        if (headEnd == std::string_view::npos) return false;
        Part part;
        bool named = false;
        std::string_view headers = body.substr(pos, headEnd + 2 - pos);
        std::size_t hp = 0;
        while (hp < headers.size()) {
            std::size_t e = headers.find("\r\n", hp);
            std::string_view h = headers.substr(hp, e - hp);
            hp = e + 2;
            std::size_t colon = h.find(':');
            if (colon == std::string_view::npos) return false;
            if (!EqualsNoCase(Trim(h.substr(0, colon)), "Content-Disposition")) continue;
            std::string_view value = Trim(h.substr(colon + 1));
            std::size_t semi = value.find(';');
            if (!EqualsNoCase(Trim(value.substr(0, semi)), "form-data")) return false;
            if (semi == std::string_view::npos) return false;
            std::string_view params = value.substr(semi + 1);
            auto name = Param(params, "name");
            if (!name) return false;
            part.name = *name;
            part.filename = Param(params, "filename");
            named = true;
        }
        if (!named) return false;
        std::size_t dataStart = headEnd + 4;
        std::size_t dataEnd = body.find(delimiter, dataStart);
        if (dataEnd == std::string_view::npos) return false;
        part.data = body.substr(dataStart, dataEnd - dataStart);
        parts.push_back(std::move(part));
        pos = dataEnd + delimiter.size();
    }
}

std::string BoundaryOf(std::string_view contentType) {
    std::size_t semi = contentType.find(';');
    if (semi == std::string_view::npos) return {};
    return Param(contentType.substr(semi + 1), "boundary").value_or(std::string());
}

std::optional<std::string> Base64Decode(std::string_view text) {
    auto value = [](char c) -> int {
        if (c >= 'A' && c <= 'Z') return c - 'A';
        if (c >= 'a' && c <= 'z') return c - 'a' + 26;
        if (c >= '0' && c <= '9') return c - '0' + 52;
        if (c == '+') return 62;
        if (c == '/') return 63;
        return -1;
    };
    if (text.size() % 4 != 0) return std::nullopt;
    std::string out;
    for (std::size_t i = 0; i < text.size(); i += 4) {
        int v[4];
        int pad = 0;
        for (int k = 0; k < 4; ++k) {
            char c = text[i + k];
            if (c == '=' && i + 4 == text.size() && k >= 2) {
                v[k] = 0;
                ++pad;
            } else {
                if (pad) return std::nullopt;  // data after padding
                v[k] = value(c);
                if (v[k] < 0) return std::nullopt;
            }
        }
        unsigned n = (v[0] << 18) | (v[1] << 12) | (v[2] << 6) | v[3];
        out.push_back(static_cast<char>((n >> 16) & 0xFF));
        if (pad < 2) out.push_back(static_cast<char>((n >> 8) & 0xFF));
        if (pad < 1) out.push_back(static_cast<char>(n & 0xFF));
    }
    return out;
}

std::string_view Reason(int status) {
    switch (status) {
        case 100:
            return "Continue";
        case 200:
            return "OK";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 413:
            return "Payload Too Large";
        case 500:
            return "Internal Server Error";
        case 501:
            return "Not Implemented";
        case 503:
            return "Service Unavailable";
        default:
            return "Status";
    }
}

std::string ResponseHead(int status, const Fields& headers, std::size_t bodySize, bool close) {
    std::string out = "HTTP/1.1 " + std::to_string(status) + " " + std::string(Reason(status)) +
                      "\r\nServer: zavro-routersim\r\n";
    for (const auto& [key, value] : headers) out += key + ": " + value + "\r\n";
    out += "Content-Length: " + std::to_string(bodySize) + "\r\n";
    if (close) out += "Connection: close\r\n";
    out += "\r\n";
    return out;
}

const std::string* Get(const Fields& fields, std::string_view name) {
    for (const auto& [key, value] : fields) {
        if (key == name) return &value;
    }
    return nullptr;
}

}  // namespace routersim::wire
