// HTTP/1.1 wire helpers of the simulator: strict request-head parsing, body decoders
// (query strings, form-encoded, multipart) and answer formatting. No sockets here.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace routersim::wire {

using Fields = std::vector<std::pair<std::string, std::string>>;

struct Head {
    std::string method, target, version;
    Fields headers;
    std::size_t size = 0;  // bytes of the head, up to and including the empty line
};

enum class HeadStatus { Incomplete, Ok, Bad };

constexpr std::size_t kMaxHeadBytes = 64 * 1024;

// Parses the request head at the start of data. Lines end in CRLF; the target holds
// no raw space or control byte; the version is HTTP/1.0 or HTTP/1.1.
HeadStatus ParseHead(std::string_view data, Head& head);

std::string FindHeader(const Fields& headers, std::string_view name);  // case-insensitive
bool EqualsNoCase(std::string_view a, std::string_view b);

// Content-Length of the head: nullopt when malformed (not digits, conflicting copies).
std::optional<std::size_t> ContentLength(const Head& head);

// %XX decoding; a '%' not followed by two hex digits stays as it is. '+' is kept.
std::string PercentDecode(std::string_view text);

// name=value pairs joined by '&', both sides percent-decoded. Empty pieces are skipped.
Fields ParseQuery(std::string_view text);

// Removes one trailing zero byte, the terminator the client sends with many bodies.
std::string_view StripOneNul(std::string_view body);

struct Part {
    std::string name;
    std::optional<std::string> filename;
    std::string_view data;  // view into the parsed body
};

// Parses body delimited by "--" + boundary; false when the layout is broken.
bool ParseMultipart(std::string_view body, std::string_view boundary, std::vector<Part>& parts);

// The boundary parameter of a multipart Content-Type, "" if none.
std::string BoundaryOf(std::string_view contentType);

std::optional<std::string> Base64Decode(std::string_view text);

std::string_view Reason(int status);

// Status line, headers, Content-Length and the empty line; the body follows it.
std::string ResponseHead(int status, const Fields& headers, std::size_t bodySize, bool close);

// Value of the first field called name, or nullptr.
const std::string* Get(const Fields& fields, std::string_view name);

}  // namespace routersim::wire
