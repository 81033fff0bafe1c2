// Text encodings of the router protocol: percent-escaping of user text, Base64 of the raw
// upload's credentials, and the pieces the request bodies are made of.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace zavro::router {

// text with each byte for which escape(byte) holds as "%XX" (upper-case hex).
template <class Escape>
std::string PercentEscape(std::string_view text, Escape escape) {
    constexpr char kHexDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (escape(b)) {
            out += '%';
            out += kHexDigits[b >> 4];
            out += kHexDigits[b & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
}

// The escaped form of text: the 31 punctuation characters of the router's form parser go
// out as "%XX" (upper-case hex); every other byte, the space included, passes unchanged.
std::string EscapeText(std::string_view text);

// Standard Base64 with "=" padding and no line breaks.
std::string Base64Encode(std::string_view input);

// Dotted address split at its dots: text before the first dot, between the first and the
// second, between the second and the third, everything after the third. Missing pieces
// come out empty.
std::array<std::string, 4> SplitOctets(std::string_view address);

// Six two-character pieces of a 12-digit MAC text; pieces past the end come out short or
// empty.
std::array<std::string, 6> MacPairs(std::string_view mac);

// Request dialect chosen by the model code.
enum class Dialect { None, FormPost, Query, FormEncoded };
Dialect DialectOf(int model);

// The form-post dialect's multipart body, built field by field.
class FormPostBody {
public:
    static constexpr std::string_view kBoundary = "/////////////////";
    // The extra header of every form-post request.
    static std::string Header();

    FormPostBody& Text(std::string_view name, std::string_view value);
    FormPostBody& Number(std::string_view name, int value);
    // The closing boundary and the terminating zero byte that goes out with the text.
    std::string Finish() const;

private:
    std::string m_text;
};

// Extra header of the query dialect's POST requests.
inline constexpr std::string_view kQueryPostHeader = "Content-Type: multipart/form-data";

}  // namespace zavro::router
