#include "router/Answers.h"

#include <algorithm>

namespace zavro::router {

namespace {
constexpr std::size_t npos = std::string_view::npos;

// text[from, to) clamped to the text; empty when the range is empty or reversed.
std::string Range(std::string_view text, std::size_t from, std::size_t to) {
    to = std::min(to, text.size());
    if (from >= to) return {};
    return std::string(text.substr(from, to - from));
}

// The piece from `from` up to `back` characters before the next `stop` found from `from`.
std::string UpTo(std::string_view text, std::size_t from, char stop, std::size_t back) {
    if (from > text.size()) return {};
    const std::size_t at = text.find(stop, from);
    if (at == npos) return {};
    if (at < from + back) return {};
    return Range(text, from, at - back);
}
}  // namespace

std::string ExtractSsid(std::string_view page) {
    constexpr std::string_view kMarker = "document.wlanSetup.ssid.value!=";
    std::string_view rest = page;
    const std::size_t m = rest.find(kMarker);
    rest.remove_prefix(m != npos ? m + kMarker.size() : std::min<std::size_t>(30, rest.size()));
    const std::size_t quote = rest.find('"');
    if (quote != npos) rest.remove_prefix(quote + 1);
    const std::size_t paren = rest.find(')');
    if (paren == npos || paren == 0) return {};
    return std::string(rest.substr(0, paren - 1));
}

std::string FindValueIn(const char* buffer, std::size_t size, std::string_view marker,
                        std::size_t length, std::size_t scanLimit) {
    const std::string_view scanned(buffer, std::min(size, scanLimit));
    const std::size_t at = marker.empty() ? npos : scanned.find(marker);
    if (at == npos) return "null";
    const std::size_t from = at + marker.size() - 1 + 103;
    if (from >= size) return {};
    const std::string_view tail(buffer + from, std::min(length, size - from));
    return std::string(tail.substr(0, tail.find('\0')));
}

int AnswerStatus(std::string_view answer) {
    if (answer.substr(0, 5) != "HTTP/") return 0;
    // Only a line that has ended is a whole status line: "HTTP/1.1 20" may go on as 200.
    const std::size_t end = answer.find('\n');
    if (end == npos) return 0;
    answer = answer.substr(0, end);
    const std::size_t space = answer.find(' ');
    if (space == npos || answer.size() < space + 4) return 0;
    int status = 0;
    for (std::size_t i = space + 1; i < space + 4; ++i) {
        const char c = answer[i];
        if (c < '0' || c > '9') return 0;
        status = status * 10 + (c - '0');
    }
    if (answer.size() > space + 4 && answer[space + 4] != ' ' && answer[space + 4] != '\r')
        return 0;
    return status;
}

// A piece goes into the second request's head: a control byte (CR, LF) ends it, so the
// router's answer cannot add header lines of its own.
std::string HeadSafe(std::string piece) {
    const auto bad = std::find_if(piece.begin(), piece.end(),
                                  [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    piece.erase(bad, piece.end());
    return piece;
}

UploadRedirect ParseRedirect(std::string_view text) {
    UploadRedirect r;
    const std::size_t p = text.find('/');
    // Without a "/" there is no path; the values are still looked for in the whole text.
    const std::size_t base = p == npos ? 0 : p + 1;
    if (p != npos) r.path = UpTo(text, p, '<', 4);
    if (const std::size_t f = text.find("filename", base); f != npos) {
        for (char c : UpTo(text, f + 11, '<', 4)) {
            if (c == '/')
                r.file += "%2F";
            else
                r.file += c;
        }
    }
    if (const std::size_t s = text.find("startPos", base); s != npos)
        r.start = UpTo(text, s + 11, '%', 0);
    if (const std::size_t e = text.find("endPos", base); e != npos)
        r.end = UpTo(text, e + 9, '%', 0);
    r.path = HeadSafe(std::move(r.path));
    r.file = HeadSafe(std::move(r.file));
    r.start = HeadSafe(std::move(r.start));
    r.end = HeadSafe(std::move(r.end));
    return r;
}

}  // namespace zavro::router
