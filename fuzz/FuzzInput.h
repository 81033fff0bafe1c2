// Helpers shared by the fuzz targets: the libFuzzer entry point and a reader that splits
// one input into the few values a target needs, then hands over the rest as the payload.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace zavro::fuzz {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : m_data(data, size) {}

    std::uint8_t Byte() {
        if (m_data.empty()) return 0;
        const std::uint8_t b = m_data.front();
        m_data = m_data.subspan(1);
        return b;
    }
    std::uint16_t Word() { return static_cast<std::uint16_t>(Byte() | (Byte() << 8)); }
    // Up to the next '\n' (dropped) or the end.
    std::string Line() {
        std::string out;
        while (!m_data.empty()) {
            const char c = static_cast<char>(Byte());
            if (c == '\n') break;
            out += c;
        }
        return out;
    }
    std::span<const std::uint8_t> Rest() const { return m_data; }
    std::string_view RestText() const {
        return {reinterpret_cast<const char*>(m_data.data()), m_data.size()};
    }

private:
    std::span<const std::uint8_t> m_data;
};

// A broken invariant: report it and abort, so the fuzzer keeps the input.
[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}
#define ZAVRO_FUZZ_CHECK(cond)                   \
    do {                                         \
        if (!(cond)) ::zavro::fuzz::Fail(#cond); \
    } while (0)

}  // namespace zavro::fuzz
