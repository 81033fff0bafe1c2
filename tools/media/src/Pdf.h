// Small PDF 1.4 writer: text pages in the standard Helvetica fonts (WinAnsi encoding), with
// a correct cross-reference table, for the manuals and quick guides of the medium.
#pragma once

#include <string>
#include <vector>

namespace zavro::media {

struct PdfLine {
    enum class Style { Title, Heading, Body };
    Style style = Style::Body;
    std::string text;  // UTF-8; must be representable in Windows-1252
};

struct PdfPage {
    std::vector<PdfLine> lines;  // long body lines are wrapped to the page width
};

struct PdfDocument {
    std::string title;  // document information
    std::vector<PdfPage> pages;
};

// The file's bytes. Throws std::invalid_argument for text outside Windows-1252 or a page
// whose lines do not fit on one A4 page.
std::string WritePdf(const PdfDocument& doc);

}  // namespace zavro::media
