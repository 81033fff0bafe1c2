// Readers of answer texts: wireless name, fixed-offset values, the upload's redirect.
#include <gtest/gtest.h>

#include <string>

#include "router/Answers.h"

namespace zavro::router {
namespace {

using namespace std::string_literals;

TEST(RouterSsid, ExtractionRules) {
    const struct {
        std::string page, ssid;
    } cases[] = {
        {"if (document.wlanSetup.ssid.value!=\"HomeNet\") {", "HomeNet"},
        {"x document.wlanSetup.ssid.value!= \"a b\")", "a b"},
        {"document.wlanSetup.ssid.value!=\"\")", ""},
        {"document.wlanSetup.ssid.value!=\"NoParen\" {", ""},
        // Without the marker the first 30 characters go.
        {"012345678901234567890123456789\"Other\")", "Other"},
        {"short", ""},
        {"", ""},
        {"document.wlanSetup.ssid.value!=)", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ExtractSsid(c.page), c.ssid) << c.page;
}

TEST(RouterFindValue, OffsetAfterMarker) {
    std::string buf(8192, '\0');
    const std::string head = "HTTP/1.1 301 Moved Permanently";
    buf.replace(0, head.size(), head);
    const std::size_t last = head.size() - 1;  // index of the marker's last character
    buf.replace(last + 103, 5, "VALUE");
    EXPECT_EQ(FindValueIn(buf.data(), buf.size(), "Moved Permanently", 5), "VALUE");
    EXPECT_EQ(FindValueIn(buf.data(), buf.size(), "Moved Permanently", 3), "VAL");
    // Ends early at the zero byte after the value.
    EXPECT_EQ(FindValueIn(buf.data(), buf.size(), "Moved Permanently", 110), "VALUE");
    EXPECT_EQ(FindValueIn(buf.data(), buf.size(), "Absent", 5), "null");
}

TEST(RouterFindValue, ScanRestartsAfterEachStartingByte) {
    // Inputs where a scan that goes on from the mismatching byte misses the marker: the
    // failed attempt began one byte before the real match.
    const struct {
        std::string text, marker;
        std::size_t last;  // index of the marker's last character in text
    } cases[] = {
        {"HTTP/1.1 301 MMoved Permanently", "Moved Permanently", 30},
        {"xababac", "abac", 6},
        {"aaab", "aab", 3},
    };
    for (const auto& c : cases) {
        std::string buf(400, '\0');
        buf.replace(0, c.text.size(), c.text);
        buf.replace(c.last + 103, 2, "ok");
        EXPECT_EQ(FindValueIn(buf.data(), buf.size(), c.marker, 2), "ok") << c.text;
    }
}

TEST(RouterFindValue, BoundsOfScanAndBuffer) {
    std::string buf(8192, 'x');
    buf.back() = '\0';
    // A marker starting past the first 4096 bytes is not seen.
    buf.replace(5000, 6, "MARKER");
    EXPECT_EQ(FindValueIn(buf.data(), buf.size(), "MARKER", 10), "null");
    // A marker near the end of the scan gives a value cut at the end of the buffer.
    std::string near(4200, 'y');
    near.replace(4090, 6, "MARKER");
    const std::string v = FindValueIn(near.data(), near.size(), "MARKER", 110);
    EXPECT_EQ(v.size(), near.size() - (4095 + 103));
    // Value start beyond the buffer: empty, not a read outside it.
    std::string tiny = "MARKER";
    EXPECT_EQ(FindValueIn(tiny.data(), tiny.size(), "MARKER", 10), "");
}

TEST(RouterAnswerStatus, WholeStatusLineOnly) {
    const struct {
        const char* text;
        int status;
    } cases[] = {
        {"HTTP/1.1 200 OK\r\n", 200},
        {"HTTP/1.0 301 Moved Permanently\r\nLocation: /x\r\n", 301},
        {"HTTP/1.1 401\r\n", 401},
        {"HTTP/1.1 500 Error\n", 500},
        // The line has not ended: the code may still go on.
        {"HTTP/1.1 404", 0},
        {"HTTP/1.1 500 Internal Server", 0},
        {"HTTP/1.1 20", 0},
        {"HTTP/1.1 2000 OK\r\n", 0},
        {"HTTP/1.1 2x0 OK\r\n", 0},
        {"ICY 200 OK\r\n", 0},
        {"", 0},
        {"garbage HTTP/1.1 500\r\n", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(AnswerStatus(c.text), c.status) << c.text;
}

TEST(RouterRedirect, TypicalLayout) {
    const std::string text =
        "Location: /upgrading.asp?startPos%3D0%26endPos%3D4096%26filename%3D/var/tmp/fw.bin"
        "\r\n\r\n<html>";
    const UploadRedirect r = ParseRedirect(text);
    EXPECT_EQ(r.path, "/upgrading.asp?startPos%3D0%26endPos%3D4096%26filename%3D/var/tmp/fw.bin");
    EXPECT_EQ(r.file, "%2Fvar%2Ftmp%2Ffw.bin");
    EXPECT_EQ(r.start, "0");
    EXPECT_EQ(r.end, "4096");
    EXPECT_EQ(r.Body(), "filename=%2Fvar%2Ftmp%2Ffw.bin&startPos=0&endPos=4096");
}

TEST(RouterRedirect, MissingMarkersGiveEmptyPieces) {
    const struct {
        std::string text;
        UploadRedirect want;
    } cases[] = {
        {"null", {}},
        {"", {}},
        // No "<": no path, no file value; the numbers still read up to their "%".
        {"/x?startPos%3D7%26endPos%3D9%", {"", "", "7", "9"}},
        // No "/" at all: values are looked for in the whole text.
        {"startPos%3D1%endPos%3D2%", {"", "", "1", "2"}},
        // "<" too close to the start of the path.
        {"/ab<", {"", "", "", ""}},
        // Marker at the very end: nothing after it.
        {"/p filename", {"", "", "", ""}},
    };
    for (const auto& c : cases) {
        const UploadRedirect r = ParseRedirect(c.text);
        EXPECT_EQ(r.path, c.want.path) << c.text;
        EXPECT_EQ(r.file, c.want.file) << c.text;
        EXPECT_EQ(r.start, c.want.start) << c.text;
        EXPECT_EQ(r.end, c.want.end) << c.text;
    }
}

}  // namespace
}  // namespace zavro::router
