#include "Pdf.h"

#include <cstdio>
#include <stdexcept>

#include "Text.h"

namespace zavro::media {
namespace {

constexpr int kPageWidth = 595;  // A4 in points
constexpr int kPageHeight = 842;
constexpr int kMargin = 64;

struct StyleMetrics {
    const char* font;
    int size;
    int leading;
};

StyleMetrics Metrics(PdfLine::Style s) {
    switch (s) {
        case PdfLine::Style::Title:
            return {"/F2", 20, 34};
        case PdfLine::Style::Heading:
            return {"/F2", 13, 24};
        case PdfLine::Style::Body:
            break;
    }
    return {"/F1", 11, 16};
}

std::string Ansi(const std::string& utf8) {
    auto s = ToWindows1252(utf8);
    if (!s) throw std::invalid_argument("text not representable in Windows-1252: " + utf8);
    return *s;
}

// Literal string with the three characters PDF gives meaning to escaped.
std::string PdfString(const std::string& ansi) {
    std::string out = "(";
    for (char c : ansi) {
        if (c == '(' || c == ')' || c == '\\') out.push_back('\\');
        out.push_back(c);
    }
    return out + ")";
}

// Word wrap by an average Helvetica width of half the font size per character: coarse,
// but the pages carry plain prose with wide margins.
std::vector<std::string> Wrap(const std::string& ansi, int fontSize) {
    const std::size_t maxChars =
        static_cast<std::size_t>((kPageWidth - 2 * kMargin) * 2 / fontSize);
    std::vector<std::string> lines;
    std::string line;
    std::size_t pos = 0;
    while (pos <= ansi.size()) {
        std::size_t space = ansi.find(' ', pos);
        if (space == std::string::npos) space = ansi.size();
        const std::string word = ansi.substr(pos, space - pos);
        if (!line.empty() && line.size() + 1 + word.size() > maxChars) {
            lines.push_back(line);
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        pos = space + 1;
    }
    lines.push_back(line);
    return lines;
}

std::string PageContent(const PdfPage& page) {
    std::string s = "BT\n";
    int y = kPageHeight - kMargin;
    for (const PdfLine& line : page.lines) {
        const StyleMetrics m = Metrics(line.style);
        for (const std::string& part : Wrap(Ansi(line.text), m.size)) {
            y -= m.leading;
            if (y < kMargin) throw std::invalid_argument("page text does not fit on the page");
            char head[96];
            std::snprintf(head, sizeof head, "%s %d Tf 1 0 0 1 %d %d Tm ", m.font, m.size, kMargin,
                          y);
            s += head + PdfString(part) + " Tj\n";
        }
    }
    return s + "ET\n";
}

}  // namespace

std::string WritePdf(const PdfDocument& doc) {
    if (doc.pages.empty()) throw std::invalid_argument("a PDF needs a page");
    // Objects: 1 catalog, 2 page tree, 3 and 4 fonts, 5 information, then per page its
    // page object and its content stream.
    std::vector<std::string> objects;
    const int firstPage = 6;
    std::string kids;
    for (std::size_t i = 0; i < doc.pages.size(); ++i) {
        kids += (i ? " " : "") + std::to_string(firstPage + 2 * static_cast<int>(i)) + " 0 R";
    }
    objects.push_back("<< /Type /Catalog /Pages 2 0 R >>");
    objects.push_back("<< /Type /Pages /Kids [" + kids + "] /Count " +
                      std::to_string(doc.pages.size()) + " >>");
    objects.push_back(
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    objects.push_back(
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding /WinAnsiEncoding "
        ">>");
    objects.push_back("<< /Title " + PdfString(Ansi(doc.title)) + " /Producer (zavro-mediagen) >>");
    for (std::size_t i = 0; i < doc.pages.size(); ++i) {
        const int content = firstPage + 2 * static_cast<int>(i) + 1;
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " +
                          std::to_string(kPageWidth) + " " + std::to_string(kPageHeight) +
                          "] /Resources << /Font << /F1 3 0 R /F2 4 0 R >> >> /Contents " +
                          std::to_string(content) + " 0 R >>");
        const std::string stream = PageContent(doc.pages[i]);
        objects.push_back("<< /Length " + std::to_string(stream.size()) + " >>\nstream\n" + stream +
                          "endstream");
    }

    // The binary comment line marks the file as binary for transfer programs.
    std::string out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < objects.size(); ++i) {
        offsets.push_back(out.size());
        out += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const std::size_t xref = out.size();
    out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n";
    out += "0000000000 65535 f \n";
    for (std::size_t off : offsets) {
        char entry[24];
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", off);
        out += entry;
    }
    out += "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
           " /Root 1 0 R /Info 5 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return out;
}

}  // namespace zavro::media
