// Independent readers for what the medium generator writes: GIF block structure, PDF
// cross-reference table and profile files. They share no code with the generator, so a
// fault in its writers cannot hide itself here.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace zavro::media::test {

inline std::filesystem::path ProgramDir() {
    return ZAVRO_PROGRAM_DIR;
}
inline std::filesystem::path MediumDir() {
    return ZAVRO_MEDIUM_DIR;
}

inline std::string ReadBytes(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ---- GIF -------------------------------------------------------------------------------

struct GifFrameInfo {
    bool hasControl = false;
    int delay = -1;
    int disposal = 0;
    int left = 0, top = 0, width = 0, height = 0;
    int minCodeSize = 0;
    std::size_t begin = 0, end = 0;  // bytes from the control extension to the image's end
};

struct GifInfo {
    std::string error;  // empty when the walk reached the trailer cleanly
    std::string signature;
    int width = 0, height = 0;
    bool globalTable = false;
    int globalTableSize = 0;                // entries
    std::vector<std::string> applications;  // identifier + authentication code
    std::vector<std::vector<std::uint8_t>> applicationData;
    std::vector<std::string> comments;
    std::vector<GifFrameInfo> frames;
    bool trailerAtEnd = false;
};

inline GifInfo WalkGif(const std::string& d) {
    GifInfo g;
    auto u8 = [&](std::size_t i) { return static_cast<std::uint8_t>(d[i]); };
    auto u16 = [&](std::size_t i) { return u8(i) | (u8(i + 1) << 8); };
    if (d.size() < 13) return g.error = "short header", g;
    g.signature = d.substr(0, 6);
    g.width = u16(6);
    g.height = u16(8);
    g.globalTable = (u8(10) & 0x80) != 0;
    g.globalTableSize = g.globalTable ? (2 << (u8(10) & 7)) : 0;
    std::size_t pos = 13 + 3 * static_cast<std::size_t>(g.globalTableSize);
    // Reads a sub-block chain from pos; false when it runs past the data.
    auto chain = [&](std::vector<std::uint8_t>* out) {
        while (true) {
            if (pos >= d.size()) return false;
            const std::size_t n = u8(pos++);
            if (n == 0) return true;
            if (pos + n > d.size()) return false;
            if (out) out->insert(out->end(), d.begin() + pos, d.begin() + pos + n);
            pos += n;
        }
    };
    GifFrameInfo pending;
    while (pos < d.size()) {
        const std::size_t blockStart = pos;
        const std::uint8_t kind = u8(pos++);
        if (kind == 0x3B) {
            g.trailerAtEnd = pos == d.size();
            if (!pending.hasControl) return g;
            return g.error = "graphic control extension without an image", g;
        }
        if (kind == 0x21) {
            if (pos >= d.size()) return g.error = "cut extension", g;
            const std::uint8_t label = u8(pos++);
            if (label == 0xF9) {
                if (pos + 6 > d.size() || u8(pos) != 4) return g.error = "bad control block", g;
                pending.hasControl = true;
                pending.begin = blockStart;
                pending.disposal = (u8(pos + 1) >> 2) & 7;
                pending.delay = u16(pos + 2);
                pos += 5;
                if (u8(pos++) != 0) return g.error = "control block not terminated", g;
            } else if (label == 0xFF) {
                if (pos >= d.size() || u8(pos) != 11 || pos + 12 > d.size()) {
                    return g.error = "bad application block", g;
                }
                g.applications.push_back(d.substr(pos + 1, 11));
                pos += 12;
                std::vector<std::uint8_t> data;
                if (!chain(&data)) return g.error = "application chain past the end", g;
                g.applicationData.push_back(data);
            } else if (label == 0xFE) {
                std::vector<std::uint8_t> data;
                if (!chain(&data)) return g.error = "comment chain past the end", g;
                g.comments.emplace_back(data.begin(), data.end());
            } else {
                if (!chain(nullptr)) return g.error = "extension chain past the end", g;
            }
        } else if (kind == 0x2C) {
            if (pos + 9 > d.size()) return g.error = "cut image descriptor", g;
            GifFrameInfo f = pending;
            pending = {};
            if (!f.hasControl) f.begin = blockStart;
            f.left = u16(pos);
            f.top = u16(pos + 2);
            f.width = u16(pos + 4);
            f.height = u16(pos + 6);
            const std::uint8_t packed = u8(pos + 8);
            pos += 9;
            if (packed & 0x80) pos += 3 * static_cast<std::size_t>(2 << (packed & 7));
            if (pos >= d.size()) return g.error = "cut image data", g;
            f.minCodeSize = u8(pos++);
            if (!chain(nullptr)) return g.error = "image chain past the end", g;
            f.end = pos;
            g.frames.push_back(f);
        } else {
            return g.error = "unknown block " + std::to_string(kind), g;
        }
    }
    return g.error = "no trailer", g;
}

// One frame as a stand-alone GIF: header, screen descriptor and global table, the frame's
// blocks, trailer; the way the wizard's animation control hands frames to its decoder.
inline std::string SingleFrameGif(const std::string& d, const GifInfo& g, std::size_t frame) {
    const std::size_t head = 13 + 3 * static_cast<std::size_t>(g.globalTableSize);
    const GifFrameInfo& f = g.frames.at(frame);
    return d.substr(0, head) + d.substr(f.begin, f.end - f.begin) + ";";
}

// ---- PDF -------------------------------------------------------------------------------

// Checks the cross-reference table of a PDF written with one classic xref section: every
// in-use entry must point at "N 0 obj", every stream's /Length must match its bytes, and
// the trailer's /Size must count the entries. Returns the problems found.
inline std::vector<std::string> CheckPdf(const std::string& pdf, int* pageCount = nullptr) {
    std::vector<std::string> problems;
    if (pdf.rfind("%PDF-1.", 0) != 0) problems.push_back("no %PDF header");
    const std::size_t eof = pdf.rfind("%%EOF");
    if (eof == std::string::npos || pdf.find_first_not_of("\r\n", eof + 5) != std::string::npos) {
        problems.push_back("no %%EOF at the end");
    }
    const std::size_t sx = pdf.rfind("startxref");
    if (sx == std::string::npos) return problems.push_back("no startxref"), problems;
    const std::size_t xref = std::stoul(pdf.substr(sx + 9, 24));
    if (pdf.compare(xref, 4, "xref") != 0) {
        return problems.push_back("startxref does not point at xref"), problems;
    }
    std::istringstream in(pdf.substr(xref + 4));
    int first = -1, count = -1;
    in >> first >> count;
    if (first != 0 || count < 2) return problems.push_back("bad xref subsection"), problems;
    // Entries are exactly 20 bytes: 10 digits, space, 5 digits, space, n/f, 2-byte EOL.
    std::size_t entries = pdf.find('\n', pdf.find('\n', xref) + 1) + 1;
    for (int i = 0; i < count; ++i) {
        const std::string e = pdf.substr(entries + 20 * static_cast<std::size_t>(i), 20);
        if (e.size() != 20 || e[10] != ' ' || e[16] != ' ' || (e[17] != 'n' && e[17] != 'f') ||
            !((e[18] == ' ' && e[19] == '\n') || (e[18] == '\r' && e[19] == '\n'))) {
            problems.push_back("malformed xref entry " + std::to_string(i));
            continue;
        }
        if (e[17] == 'f') continue;
        const std::size_t off = std::stoul(e.substr(0, 10));
        const std::string head = std::to_string(i) + " 0 obj";
        if (pdf.compare(off, head.size(), head) != 0) {
            problems.push_back("xref entry " + std::to_string(i) + " points at '" +
                               pdf.substr(off, 12) + "'");
        }
    }
    const std::size_t trailer = pdf.find("trailer", xref);
    const std::size_t size = pdf.find("/Size", trailer);
    if (trailer == std::string::npos || size == std::string::npos ||
        std::stoi(pdf.substr(size + 5, 12)) != count) {
        problems.push_back("trailer /Size differs from the xref entry count");
    }
    for (std::size_t s = pdf.find("stream\n"); s != std::string::npos;
         s = pdf.find("stream\n", s + 7)) {
        if (s >= 3 && pdf.compare(s - 3, 3, "end") == 0) continue;  // "endstream\n"
        const std::size_t len = pdf.rfind("/Length", s);
        const std::size_t n = std::stoul(pdf.substr(len + 7, 12));
        if (pdf.compare(s + 7 + n, 9, "endstream") != 0) {
            problems.push_back("stream /Length does not end at endstream");
        }
    }
    if (pageCount != nullptr) {
        int pages = 0;
        for (std::size_t p = pdf.find("/Type /Page "); p != std::string::npos;
             p = pdf.find("/Type /Page ", p + 1)) {
            ++pages;
        }
        *pageCount = pages;
    }
    return problems;
}

// ---- profile files ---------------------------------------------------------------------

struct ParsedIni {
    std::string error;
    bool utf16 = false;
    // section -> key -> value as UTF-16 code units (ANSI bytes widened one to one).
    std::map<std::string, std::map<std::string, std::u16string>> sections;
};

inline ParsedIni ParseIni(const std::string& bytes) {
    ParsedIni ini;
    std::u16string text;
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        ini.utf16 = true;
        if (bytes.size() % 2 != 0) return ini.error = "odd UTF-16 length", ini;
        for (std::size_t i = 2; i < bytes.size(); i += 2) {
            text.push_back(static_cast<char16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                                 (static_cast<std::uint8_t>(bytes[i + 1]) << 8)));
        }
    } else {
        for (char c : bytes) text.push_back(static_cast<char16_t>(static_cast<std::uint8_t>(c)));
    }
    std::string section;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = text.find(u'\n', start);
        if (lf == std::u16string::npos) return ini.error = "last line without CRLF", ini;
        if (lf == start || text[lf - 1] != u'\r') return ini.error = "line end is not CRLF", ini;
        const std::u16string line = text.substr(start, lf - 1 - start);
        start = lf + 1;
        auto ascii = [](const std::u16string& s) {
            std::string out;
            for (char16_t c : s) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
            return out;
        };
        if (line.empty()) continue;
        if (line.front() == u'[') {
            if (line.back() != u']') return ini.error = "bad section line", ini;
            section = ascii(line.substr(1, line.size() - 2));
            ini.sections[section];
            continue;
        }
        const std::size_t eq = line.find(u'=');
        if (eq == std::u16string::npos || section.empty()) {
            return ini.error = "line outside key=value form: " + ascii(line), ini;
        }
        ini.sections[section][ascii(line.substr(0, eq))] = line.substr(eq + 1);
    }
    return ini;
}

}  // namespace zavro::media::test
