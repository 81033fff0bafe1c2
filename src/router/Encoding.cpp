#include "router/Encoding.h"

#include <cstdint>

namespace zavro::router {

namespace {
constexpr std::string_view kEscaped = "!\"#$%&'()*+,-./:;<=>?@[\\]^_{|}~";
constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Piece(std::string_view text, std::size_t pos, std::size_t count) {
    if (pos >= text.size()) return {};
    return std::string(text.substr(pos, count));
}
}  // namespace

std::string EscapeText(std::string_view text) {
    return PercentEscape(text, [](unsigned char b) {
        return kEscaped.find(static_cast<char>(b)) != std::string_view::npos;
    });
}

std::string Base64Encode(std::string_view input) {
    std::string out;
    out.reserve((input.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= input.size(); i += 3) {
        const std::uint32_t v = (static_cast<std::uint8_t>(input[i]) << 16) |
                                (static_cast<std::uint8_t>(input[i + 1]) << 8) |
                                static_cast<std::uint8_t>(input[i + 2]);
        out += kBase64[(v >> 18) & 63];
        out += kBase64[(v >> 12) & 63];
        out += kBase64[(v >> 6) & 63];
        out += kBase64[v & 63];
    }
    const std::size_t rest = input.size() - i;
    if (rest > 0) {
        std::uint32_t v = static_cast<std::uint8_t>(input[i]) << 16;
        if (rest == 2) v |= static_cast<std::uint8_t>(input[i + 1]) << 8;
        out += kBase64[(v >> 18) & 63];
        out += kBase64[(v >> 12) & 63];
        out += rest == 2 ? kBase64[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::array<std::string, 4> SplitOctets(std::string_view address) {
    std::array<std::string, 4> parts;
    std::size_t start = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t dot = address.find('.', start);
        if (dot == std::string_view::npos) {
            // Fewer than three dots: the rest goes into this piece, later ones stay empty.
            parts[i] = Piece(address, start, std::string_view::npos);
            return parts;
        }
        parts[i] = std::string(address.substr(start, dot - start));
        start = dot + 1;
    }
    parts[3] = Piece(address, start, std::string_view::npos);
    return parts;
}

std::array<std::string, 6> MacPairs(std::string_view mac) {
    std::array<std::string, 6> pairs;
    for (std::size_t i = 0; i < pairs.size(); ++i) pairs[i] = Piece(mac, i * 2, 2);
    return pairs;
}

Dialect DialectOf(int model) {
    switch (model) {
        case 1:
        case 3:
        case 4:
        case 5:
            return Dialect::FormPost;
        case 2:
        case 6:
        case 7:
            return Dialect::Query;
        case 8:
            return Dialect::FormEncoded;
        default:
            return Dialect::None;
    }
}

std::string FormPostBody::Header() {
    return "Content-Type: multipart/form-data; boundary=" + std::string(kBoundary);
}

FormPostBody& FormPostBody::Text(std::string_view name, std::string_view value) {
    m_text += "--";
    m_text += kBoundary;
    m_text += "\r\nContent-Disposition: form-data; name=\"";
    m_text += name;
    m_text += "\"\r\n\r\n";
    m_text += value;
    m_text += "\r\n";
    return *this;
}

FormPostBody& FormPostBody::Number(std::string_view name, int value) {
    return Text(name, std::to_string(value));
}

std::string FormPostBody::Finish() const {
    std::string body = m_text;
    body += "--";
    body += kBoundary;
    body += "--";
    body += '\0';
    return body;
}

}  // namespace zavro::router
