// The string.ini reader, ANSI and wide, on any file: both reads must agree on a file of
// bytes, never hand out more than the buffer holds, and never pass a zero byte on.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "FuzzInput.h"
#include "platform/posix/ProfileReader.h"

namespace {

struct Lookup {
    const char* section;
    const char* key;
};
constexpr Lookup kLookups[] = {
    {"MESSAGE", "failed_setting"},
    {"MESSAGE", "load_image_error"},
    {"message", "FAILED_SETTING"},
    {"Language", "Name"},
    {"", ""},
    {"MESSAGE", ""},
    {"a b", "c d"},
    {"[x]", "k=v"},
};
constexpr std::size_t kSizes[] = {0, 1, 2, 3, 16, 512};

// One scratch file per process, removed at exit.
std::string g_scratch;

const std::string& ScratchPath() {
    if (g_scratch.empty()) {
        char name[] = "/tmp/zavro-fuzz-profile-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0) zavro::fuzz::Fail("mkstemp");
        close(fd);
        g_scratch = name;
        std::atexit([] { std::remove(g_scratch.c_str()); });
    }
    return g_scratch;
}

std::u16string Widen(const std::string& s) {
    std::u16string out;
    for (unsigned char c : s) out += static_cast<char16_t>(c);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zavro::fuzz::Input in(data, size);
    const std::uint8_t choice = in.Byte();
    const Lookup lookup = kLookups[choice % std::size(kLookups)];
    const std::size_t max = kSizes[(choice >> 4) % std::size(kSizes)];
    {
        std::ofstream out(ScratchPath(), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(in.Rest().data()),
                  static_cast<std::streamsize>(in.Rest().size()));
    }

    zavro::ProfileReader reader;
    const std::string narrow =
        reader.ReadA(ScratchPath(), lookup.section, lookup.key, "dflt  ", max);
    const std::u16string wide = reader.ReadW(Widen(ScratchPath()), Widen(lookup.section),
                                             Widen(lookup.key), u"dflt  ", max);
    if (max == 0) {
        ZAVRO_FUZZ_CHECK(narrow.empty() && wide.empty());
    } else {
        ZAVRO_FUZZ_CHECK(narrow.size() < max && wide.size() < max);
    }
    ZAVRO_FUZZ_CHECK(narrow.find('\0') == std::string::npos);
    ZAVRO_FUZZ_CHECK(wide.find(u'\0') == std::u16string::npos);

    using namespace zavro::profile;
    const Encoding encoding = Detect(in.RestText());
    if (encoding == Encoding::Bytes) {
        // Without a byte-order mark the wide read sees the same bytes, one unit each.
        ZAVRO_FUZZ_CHECK(Widen(narrow) == wide);
    } else {
        // The ANSI read of a UTF-16 file is the wide value narrowed, cut to the buffer.
        const std::string latin = ToLatin1(wide);
        ZAVRO_FUZZ_CHECK(latin.substr(0, narrow.size()) == narrow.substr(0, latin.size()));
    }
    const std::string utf8 = ToUtf8(wide);
    ZAVRO_FUZZ_CHECK(utf8.size() >= wide.size());
    return 0;
}
