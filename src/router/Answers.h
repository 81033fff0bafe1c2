// Readers of the few answer texts the router client looks at: the wireless name in the
// wireless page's script, the upload's redirect, and the fixed-offset value after a marker.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zavro::router {

// The wireless name from the script text of "wlbasic.asp": the quoted text that follows
// "document.wlanSetup.ssid.value!=" up to the closing parenthesis, without its quotes.
std::string ExtractSsid(std::string_view page);

// Text of the given length starting 103 bytes after the last character of the first
// occurrence of marker within the first scanLimit bytes of buffer; it ends early at a zero
// byte or at the end of the buffer. "null" when the marker is not there.
std::string FindValueIn(const char* buffer, std::size_t size, std::string_view marker,
                        std::size_t length, std::size_t scanLimit = 4096);

// Status code of an answer that starts with a whole HTTP status line (its line break has
// arrived); 0 for anything else.
int AnswerStatus(std::string_view answer);

// What the second upload request is made of, read out of the first request's redirect.
struct UploadRedirect {
    std::string path;   // from the first "/" to 4 characters before the next "<"
    std::string file;   // the file value with every "/" as "%2F"
    std::string start;  // the startPos value
    std::string end;    // the endPos value
    std::string Body() const {
        return "filename=" + file + "&startPos=" + start + "&endPos=" + end;
    }
};
// Missing markers give empty pieces; nothing is read outside the text.
UploadRedirect ParseRedirect(std::string_view text);

}  // namespace zavro::router
