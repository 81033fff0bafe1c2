// The PDF writer, checked with an independent cross-reference reader, and every document
// of the medium.
#include <gtest/gtest.h>

#include <stdexcept>

#include "MediaTestSupport.h"
#include "Pdf.h"

namespace zavro::media {
namespace {

PdfDocument Doc(std::vector<std::string> bodies, int pages = 1) {
    PdfDocument doc;
    doc.title = "T";
    for (int i = 0; i < pages; ++i) {
        PdfPage p;
        p.lines.push_back({PdfLine::Style::Title, "Page " + std::to_string(i + 1)});
        for (auto& b : bodies) p.lines.push_back({PdfLine::Style::Body, b});
        doc.pages.push_back(p);
    }
    return doc;
}

TEST(MediaPdf, CrossReferenceAndStreamLengthsAreExact) {
    for (int pages : {1, 2, 5}) {
        const std::string pdf = WritePdf(Doc({"Hello", "World"}, pages));
        int counted = 0;
        const auto problems = test::CheckPdf(pdf, &counted);
        EXPECT_TRUE(problems.empty()) << problems.front();
        EXPECT_EQ(counted, pages);
        EXPECT_NE(pdf.find("/Count " + std::to_string(pages)), std::string::npos);
    }
}

TEST(MediaPdf, CheckerCatchesAShiftedOffset) {
    // The reader must be able to fail: one byte more before an object breaks the table.
    std::string pdf = WritePdf(Doc({"x"}));
    pdf.insert(pdf.find("3 0 obj"), " ");
    EXPECT_FALSE(test::CheckPdf(pdf).empty());
}

TEST(MediaPdf, SpecialCharactersAreEscapedAndTextIsWinAnsi) {
    const std::string pdf = WritePdf(Doc({"a (b) \\ c",
                                          "Gr\xC3\xBC\xC3\x9F"
                                          "e \xE2\x82\xAC"}));
    EXPECT_NE(pdf.find("(a \\(b\\) \\\\ c) Tj"), std::string::npos);
    EXPECT_NE(pdf.find("(Gr\xFC\xDF"
                       "e \x80) Tj"),
              std::string::npos);
    EXPECT_NE(pdf.find("/Encoding /WinAnsiEncoding"), std::string::npos);
    EXPECT_TRUE(test::CheckPdf(pdf).empty());
}

TEST(MediaPdf, LongParagraphsWrapAndOverfullPagesAreRefused) {
    std::string para;
    for (int i = 0; i < 40; ++i) para += "word" + std::to_string(i) + " ";
    const std::string pdf = WritePdf(Doc({para}));
    std::size_t shows = 0;
    for (std::size_t p = pdf.find(" Tj"); p != std::string::npos; p = pdf.find(" Tj", p + 1)) {
        ++shows;
    }
    EXPECT_GE(shows, 1u + 3u);  // title plus at least three body lines
    EXPECT_THROW(WritePdf(Doc(std::vector<std::string>(80, "line"))), std::invalid_argument);
    EXPECT_THROW(WritePdf(Doc({"\xD0\x96"})), std::invalid_argument);  // not in WinAnsi
    EXPECT_THROW(WritePdf(PdfDocument{}), std::invalid_argument);
}

TEST(MediaPdf, EveryDocumentOfTheMediumIsWellFormed) {
    std::vector<std::filesystem::path> docs = {test::ProgramDir() / "Manual" /
                                               "QX-3150n User Manual.pdf"};
    for (const char* code : {"EN", "NL", "DE"}) {
        docs.push_back(test::ProgramDir() / "QIG" / (std::string("QX-3150_QIG_") + code + ".pdf"));
    }
    for (int n : {1, 2, 3}) {
        for (const char* name :
             {"QX-3150N_Manual.pdf", "QX-3150n_Manual.pdf", "QX-3150nS_Manual.pdf"}) {
            docs.push_back(test::ProgramDir() / "Manual" / std::to_string(n) / name);
        }
    }
    for (const auto& path : docs) {
        const std::string pdf = test::ReadBytes(path);
        ASSERT_FALSE(pdf.empty()) << path;
        int pages = 0;
        const auto problems = test::CheckPdf(pdf, &pages);
        EXPECT_TRUE(problems.empty()) << path << ": " << problems.front();
        EXPECT_GE(pages, 1) << path;
        EXPECT_LE(pages, 2) << path;
        EXPECT_LT(pdf.size(), 16u * 1024) << path;
    }
}

}  // namespace
}  // namespace zavro::media
