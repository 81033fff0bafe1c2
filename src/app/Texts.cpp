#include "app/Texts.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "app/ZavroApp.h"
#include "platform/Platform.h"

namespace zavro {

namespace {
constexpr std::size_t kIniBufferSize = 512;
// No page picture comes near this; a larger file is not a picture of ours.
constexpr std::streamoff kMaxPictureBytes = 64 << 20;
}  // namespace

std::string JoinPath(const std::string& a, const std::string& b) {
    return a + Ports().system->PathSeparator() + b;
}

std::string GetProgramFolder() {
    const std::string path = Ports().system->ProgramPath();
    const auto pos = path.rfind(Ports().system->PathSeparator());
    return pos == std::string::npos ? std::string() : path.substr(0, pos);
}

std::string GetImageFolder() {
    return JoinPath(GetProgramFolder(), "image");
}
std::string GetManualFolder() {
    return JoinPath(GetProgramFolder(), "Manual");
}
std::string GetQIGFolder() {
    return JoinPath(GetProgramFolder(), "QIG");
}

std::string LanguageFile(int language, const std::string& name) {
    return JoinPath(JoinPath(GetImageFolder(), std::to_string(language)), name);
}

std::string ReadIniString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& def) {
    return Ports().profile->ReadA(path, section, key, def, kIniBufferSize);
}

namespace {
// The program's folder as the wide read needs it. Folder names come as the system gives
// them: UTF-8 here, so they are decoded; bytes that are no UTF-8 (an ANSI name) are
// widened one to one, as before.
std::u16string WidenPath(const std::string& path) {
    std::u16string out;
    for (std::size_t i = 0; i < path.size();) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        const std::size_t len = c < 0x80         ? 1
                                : (c >> 5) == 6  ? 2
                                : (c >> 4) == 14 ? 3
                                : (c >> 3) == 30 ? 4
                                                 : 0;
        if (len == 0 || i + len > path.size()) return WidenBytes(path);
        char32_t cp = len == 1 ? c : c & (0x7F >> len);
        for (std::size_t k = 1; k < len; ++k) {
            const unsigned char cc = static_cast<unsigned char>(path[i + k]);
            if ((cc >> 6) != 2) return WidenBytes(path);
            cp = (cp << 6) | (cc & 0x3F);
        }
        static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return WidenBytes(path);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += len;
    }
    return out;
}
}  // namespace

std::string StringIniText(const char* section, const std::string& key, std::size_t maxChars) {
    const int versionClass = GetWindowsVersionClass();
    if (versionClass == 7 || versionClass == 8 || versionClass == 10) {
        // The 98/Me family reads every text from language folder 1, as ANSI.
        return AnsiToUtf8(ReadIniString(LanguageFile(1, "string.ini"), section, key, ""));
    }
    const std::string path = LanguageFile(theApp.GetLanguage(), "string.ini");
    return Utf16ToUtf8(Ports().profile->ReadW(WidenPath(path), WidenBytes(section),
                                              WidenBytes(key), u"", maxChars + 1));
}

std::string MessageText(const char* key) {
    return StringIniText("MESSAGE", key, kIniBufferSize - 1);
}

void ShowMessage(const char* key) {
    Ports().ui->MessageBox(MessageText(key), "Zavro");
}

const char* FailureKey(FailCause cause) {
    switch (cause) {
        case FailCause::None:
            return nullptr;
        // The router is addressed by number; a name that does not resolve is no route.
        case FailCause::Unresolved:
        case FailCause::Unreachable:
            return "why_unreachable";
        case FailCause::Refused:
            return "why_refused";
        case FailCause::ConnectTimeout:
            return "why_timeout";
        case FailCause::NoAnswer:
            return "why_no_answer";
        case FailCause::Closed:
            return "why_closed";
        case FailCause::HttpStatus:
            return "why_http";
        case FailCause::Login:
            return "why_login";
        case FailCause::Garbled:
            return "why_garbled";
    }
    return nullptr;
}

std::string RouterMessageText(const char* key, const RouterFailure& why) {
    std::string text = MessageText(key);
    const char* whyKey = FailureKey(why.cause);
    if (!whyKey) return text;
    std::string line = MessageText(whyKey);
    if (line.empty()) return text;
    if (const auto at = line.find("%d"); at != std::string::npos)
        line.replace(at, 2, std::to_string(why.httpStatus));
    return text.empty() ? line : text + "\n" + line;
}

void ShowRouterMessage(const char* key, const RouterFailure& why) {
    Ports().ui->MessageBox(RouterMessageText(key, why), "Zavro");
}

std::optional<Image> LoadPicture(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    const std::streamoff size = in.tellg();
    if (size <= 0 || size > kMaxPictureBytes) return std::nullopt;
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return std::nullopt;
    return Ports().pictures->Decode(bytes.data(), bytes.size());
}

std::u16string WidenBytes(const std::string& bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (unsigned char c : bytes) out.push_back(static_cast<char16_t>(c));
    return out;
}

static void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// Windows-1252 0x80..0x9F; 0 marks the five unassigned bytes (shown as U+FFFD).
static const char16_t k1252[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                   0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                   0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                   0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::string AnsiToUtf8(const std::string& ansi) {
    std::string out;
    out.reserve(ansi.size());
    for (unsigned char c : ansi) {
        char32_t cp = c;
        if (c >= 0x80 && c < 0xA0) cp = k1252[c - 0x80] ? k1252[c - 0x80] : 0xFFFD;
        AppendUtf8(out, cp);
    }
    return out;
}

std::string Utf16ToUtf8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;  // unpaired surrogate
        }
        AppendUtf8(out, cp);
    }
    return out;
}

}  // namespace zavro

namespace zavro {

namespace {
// The ANSI bytes of utf8; a character Windows-1252 cannot carry (or a byte that is not
// UTF-8) becomes '?', and *lossless turns false.
std::string ConvertToAnsi(const std::string& utf8, bool* lossless) {
    std::string out;
    out.reserve(utf8.size());
    auto lost = [&] {
        out.push_back('?');
        *lossless = false;
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + static_cast<std::size_t>(len) > utf8.size()) {
            lost();  // not UTF-8
            ++i;
            continue;
        }
        char32_t cp = len == 1 ? c : c & (0x7F >> len);
        bool valid = true;
        for (int k = 1; k < len; ++k) {
            const unsigned char cc =
                static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
            if ((cc >> 6) != 2) valid = false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        i += valid ? static_cast<std::size_t>(len) : 1;
        if (!valid) {
            lost();
        } else if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
            out.push_back(static_cast<char>(cp));
        } else {
            int mapped = -1;
            for (int k = 0; k < 32; ++k)
                if (k1252[k] != 0 && k1252[k] == cp) mapped = 0x80 + k;
            if (mapped < 0)
                lost();
            else
                out.push_back(static_cast<char>(mapped));
        }
    }
    return out;
}
}  // namespace

std::string Utf8ToAnsi(const std::string& utf8) {
    bool lossless = true;
    return ConvertToAnsi(utf8, &lossless);
}

std::optional<std::string> Utf8ToAnsiExact(const std::string& utf8) {
    bool lossless = true;
    std::string ansi = ConvertToAnsi(utf8, &lossless);
    if (!lossless) return std::nullopt;
    return ansi;
}

}  // namespace zavro
