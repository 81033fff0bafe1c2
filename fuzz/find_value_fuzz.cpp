// FindValue on the upload socket's receive buffer, with any marker, length and scan limit,
// and the redirect reader on whatever text it hands out.
#include <algorithm>
#include <cstring>

#include "FuzzInput.h"
#include "router/Answers.h"

using namespace zavro::router;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zavro::fuzz::Input in(data, size);
    const std::size_t length = in.Word();
    const std::size_t scanLimit = in.Word();
    const std::string marker = in.Line();
    const std::string_view buffer = in.RestText();
    // The buffer gets its own allocation, so reading past it is caught.
    const std::string owned(buffer);

    const std::string value = FindValueIn(owned.data(), owned.size(), marker, length, scanLimit);
    const std::size_t scanned = std::min(owned.size(), scanLimit);
    const bool found = !marker.empty() && std::string_view(owned).substr(0, scanned).find(marker) !=
                                              std::string_view::npos;
    if (!found) {
        ZAVRO_FUZZ_CHECK(value == "null");
    } else {
        ZAVRO_FUZZ_CHECK(value.size() <= length);
        ZAVRO_FUZZ_CHECK(value.find('\0') == std::string::npos);
        ZAVRO_FUZZ_CHECK(value.empty() || owned.find(value) != std::string::npos);
    }

    const UploadRedirect redirect = ParseRedirect(value);
    ZAVRO_FUZZ_CHECK(redirect.path.size() <= value.size());
    ZAVRO_FUZZ_CHECK(redirect.start.size() <= value.size() && redirect.end.size() <= value.size());
    ZAVRO_FUZZ_CHECK(redirect.file.find('/') == std::string::npos);
    ZAVRO_FUZZ_CHECK(redirect.path.empty() || redirect.path.front() == '/');
    (void)AnswerStatus(buffer);
    return 0;
}
