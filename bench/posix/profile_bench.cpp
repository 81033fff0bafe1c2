// Lookup cost of the profile reader, which reads string.ini anew on every message.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/posix/ProfileReader.h"

namespace {

namespace fs = std::filesystem;

// A string.ini shaped like the medium's: one MESSAGE section of `keys` keys.
std::u16string Texts(int keys, int valueLength) {
    std::u16string text = u"[MESSAGE]\r\n";
    for (int i = 0; i < keys; ++i) {
        text += u"Key_";
        text += static_cast<char16_t>(u'A' + i % 26);
        text += static_cast<char16_t>(u'0' + i / 26 % 10);
        text += u'=';
        text.append(static_cast<std::size_t>(valueLength), u'\u4E2D');
        text += u"\r\n";
    }
    text += u"Reboot_Complete=done\r\n";
    return text;
}

std::string Utf16Bytes(const std::u16string& t) {
    std::string out = "\xFF\xFE";
    for (char16_t u : t) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

std::string AnsiBytes(const std::u16string& t) {
    std::string out;
    for (char16_t u : t) out += u < 0x80 ? static_cast<char>(u) : '\xE9';
    return out;
}

std::string WriteTemp(const std::string& name, const std::string& bytes) {
    const fs::path p = fs::temp_directory_path() / (name + "-" + std::to_string(::getpid()));
    std::ofstream(p, std::ios::binary) << bytes;
    return p.string();
}

void BM_ReadA(benchmark::State& state) {
    const std::string path =
        WriteTemp("zavro-bench-ansi", AnsiBytes(Texts(static_cast<int>(state.range(0)), 60)));
    zavro::ProfileReader reader;
    for (auto _ : state) {
        benchmark::DoNotOptimize(reader.ReadA(path, "MESSAGE", "Reboot_Complete", "", 512));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fs::file_size(path)));
    fs::remove(path);
}

void BM_ReadW(benchmark::State& state) {
    const std::string path =
        WriteTemp("zavro-bench-utf16", Utf16Bytes(Texts(static_cast<int>(state.range(0)), 60)));
    const std::u16string wpath(path.begin(), path.end());
    zavro::ProfileReader reader;
    for (auto _ : state) {
        benchmark::DoNotOptimize(reader.ReadW(wpath, u"MESSAGE", u"Reboot_Complete", u"", 512));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fs::file_size(path)));
    fs::remove(path);
}

// The worst a file can cost: the 4 MiB cap, key absent.
void BM_ReadCapped(benchmark::State& state) {
    const std::string path =
        WriteTemp("zavro-bench-big", std::string("[MESSAGE]\n").append(8u << 20, 'x'));
    zavro::ProfileReader reader;
    for (auto _ : state) {
        benchmark::DoNotOptimize(reader.ReadA(path, "MESSAGE", "missing", "", 512));
    }
    fs::remove(path);
}

}  // namespace

BENCHMARK(BM_ReadA)->Arg(40)->Arg(400);
BENCHMARK(BM_ReadW)->Arg(40)->Arg(400);
BENCHMARK(BM_ReadCapped)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
