// The simulator's parsers: the strict request head, the body decoders, the fault syntax
// of --fault and the upload redirect the router client reads by fixed offsets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HttpWire.h"
#include "RouterLogic.h"
#include "RouterSim.h"
#include "router/Answers.h"

namespace routersim {
namespace {

using wire::HeadStatus;

struct HeadCase {
    std::string text;
    HeadStatus expected;
    const char* why;
};

TEST(SimHead, StrictRequestHead) {
    const HeadCase cases[] = {
        {"GET /index.asp HTTP/1.1\r\nHost: a\r\n\r\n", HeadStatus::Ok, "plain"},
        {"POST /goform/x?a=%20 HTTP/1.0\r\nX-T: a\tb\r\n\r\n", HeadStatus::Ok, "1.0, tab in value"},
        {"GET /a b HTTP/1.1\r\n\r\n", HeadStatus::Bad, "raw space in target"},
        {std::string("GET /a\x01") + "b HTTP/1.1\r\n\r\n", HeadStatus::Bad, "control byte"},
        {"GET /a\tb HTTP/1.1\r\n\r\n", HeadStatus::Bad, "tab in target"},
        {"GET /a\x7F HTTP/1.1\r\n\r\n", HeadStatus::Bad, "DEL in target"},
        {"GET /a HTTP/2.0\r\n\r\n", HeadStatus::Bad, "version"},
        {"GET index.asp HTTP/1.1\r\n\r\n", HeadStatus::Bad, "no leading slash"},
        {"GET /a HTTP/1.1\nHost: a\r\n\r\n", HeadStatus::Bad, "bare LF"},
        {"GET /a HTTP/1.1\r\nHost: a\rb\r\n\r\n", HeadStatus::Bad, "bare CR"},
        {"G(T /a HTTP/1.1\r\n\r\n", HeadStatus::Bad, "method not a token"},
        {"GET /a HTTP/1.1\r\nHost: a\r\n folded\r\n\r\n", HeadStatus::Bad, "folded header"},
        {"GET /a HTTP/1.1\r\nno colon\r\n\r\n", HeadStatus::Bad, "header without colon"},
        {"GET /a HTTP/1.1\r\nX: a\x01z\r\n\r\n", HeadStatus::Bad, "control byte in value"},
        {"GET /a\r\n\r\n", HeadStatus::Bad, "no version"},
        {"GET /a HTTP/1.1\r\nHost: a\r\n", HeadStatus::Incomplete, "no empty line yet"},
        {std::string(wire::kMaxHeadBytes + 1, 'G'), HeadStatus::Bad, "head too long"},
    };
    for (const auto& c : cases) {
        wire::Head head;
        EXPECT_EQ(wire::ParseHead(c.text, head), c.expected) << c.why;
    }
    wire::Head head;
    ASSERT_EQ(wire::ParseHead("PUT /p?q HTTP/1.1\r\nA:  b  \r\nC: d\r\n\r\nbody", head),
              HeadStatus::Ok);
    EXPECT_EQ(head.method, "PUT");
    EXPECT_EQ(head.target, "/p?q");
    EXPECT_EQ(head.size, std::string("PUT /p?q HTTP/1.1\r\nA:  b  \r\nC: d\r\n\r\n").size());
    EXPECT_EQ(wire::FindHeader(head.headers, "a"), "b");
    EXPECT_EQ(wire::FindHeader(head.headers, "c"), "d");
}

TEST(SimHead, ContentLength) {
    const std::pair<std::vector<std::string>, std::optional<std::size_t>> cases[] = {
        {{}, 0},
        {{"12"}, 12},
        {{"12", "12"}, 12},
        {{"12", "13"}, std::nullopt},
        {{"1x"}, std::nullopt},
        {{"-1"}, std::nullopt},
        {{""}, std::nullopt},
        {{"1234567890123456"}, std::nullopt},
    };
    for (const auto& [values, expected] : cases) {
        wire::Head head;
        for (const auto& v : values) head.headers.emplace_back("content-length", v);
        EXPECT_EQ(wire::ContentLength(head), expected) << values.size();
    }
}

TEST(SimBodies, PercentDecodingAndQueries) {
    const std::pair<std::string, std::string> decoded[] = {
        {"a%26b", "a&b"},
        {"%2b+", "++"},
        {"100%", "100%"},
        {"%4", "%4"},
        {"%zz", "%zz"},
        {"%2541", "%41"},
        {"%00x", std::string("\0x", 2)},
    };
    for (const auto& [in, out] : decoded) EXPECT_EQ(wire::PercentDecode(in), out) << in;

    const wire::Fields fields = wire::ParseQuery("a=1&&b=&c&k%3D=v%26w&ssid=x y");
    const wire::Fields expected = {
        {"a", "1"}, {"b", ""}, {"c", ""}, {"k=", "v&w"}, {"ssid", "x y"}};
    EXPECT_EQ(fields, expected);

    EXPECT_EQ(wire::StripOneNul(std::string_view("ab\0\0", 4)), std::string_view("ab\0", 3));
    EXPECT_EQ(wire::StripOneNul("ab"), "ab");
}

TEST(SimBodies, Multipart) {
    const std::string b = "xyz";
    const std::string good =
        "--xyz\r\nContent-Disposition: form-data; name=\"ssid\"\r\n\r\nTom\r\n"
        "--xyz\r\nContent-Disposition: form-data; name=\"binary\"; filename=\"C:\\f;1.bin\"\r\n"
        "Content-Type: application/octet-stream\r\n\r\n\x01\x02\r\n\r\n--xyz--";
    std::vector<wire::Part> parts;
    ASSERT_TRUE(wire::ParseMultipart(good, b, parts));
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0].name, "ssid");
    EXPECT_EQ(parts[0].data, "Tom");
    EXPECT_FALSE(parts[0].filename);
    EXPECT_EQ(parts[1].filename, "C:\\f;1.bin");
    EXPECT_EQ(parts[1].data, "\x01\x02\r\n");
    EXPECT_TRUE(wire::ParseMultipart(good + "\r\n", b, parts));

    const std::string broken[] = {
        good.substr(0, good.size() - 2),  // no closing "--"
        good + "trailing",
        "--xyz\r\nContent-Disposition: form-data\r\n\r\nv\r\n--xyz--",  // no name
        "--xyz\r\nContent-Type: text/plain\r\n\r\nv\r\n--xyz--",        // no disposition
        "--abc\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\nv\r\n--abc--",  // boundary
    };
    for (const auto& text : broken) EXPECT_FALSE(wire::ParseMultipart(text, b, parts)) << text;

    EXPECT_EQ(wire::BoundaryOf("multipart/form-data; boundary=/////////////////"),
              "/////////////////");
    EXPECT_EQ(wire::BoundaryOf("multipart/form-data; boundary=\"a;b\""), "a;b");
    EXPECT_EQ(wire::BoundaryOf("multipart/form-data"), "");
}

TEST(SimBodies, Base64) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"YWRtaW46NTgyMA==", "admin:5820"},
        {"YWJj", "abc"},
        {"YQ==", "a"},
        {"", ""},
        {"YQ=", std::nullopt},
        {"Y=Q=", std::nullopt},
        {"YW!j", std::nullopt},
        {"YQ==YWJj", std::nullopt},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(wire::Base64Decode(in), out) << in;
}

struct FaultCase {
    const char* text;
    bool ok;
    FaultKind kind;
    int status;
    int count;
};

TEST(SimFaults, ParseFaultSyntax) {
    const FaultCase cases[] = {
        {"none", true, FaultKind::None, 500, -1},
        {"no-answer", true, FaultKind::NoAnswer, 500, -1},
        {"noanswer:2", true, FaultKind::NoAnswer, 500, 2},
        {"close", true, FaultKind::CloseWithoutAnswer, 500, -1},
        {"reset:1", true, FaultKind::ResetMidTransfer, 500, 1},
        {"slow", true, FaultKind::Slow, 500, -1},
        {"status", true, FaultKind::Status, 500, -1},
        {"status:503", true, FaultKind::Status, 503, -1},
        {"status:401:3", true, FaultKind::Status, 401, 3},
        {"status::2", true, FaultKind::Status, 500, 2},
        {"oversized", true, FaultKind::Oversized, 500, -1},
        {"garbage:4", true, FaultKind::GarbageStatus, 500, 4},
        {"bogus", false, FaultKind::None, 0, 0},
        {"", false, FaultKind::None, 0, 0},
        {"Close", false, FaultKind::None, 0, 0},
        {"status:99", false, FaultKind::None, 0, 0},
        {"status:1000", false, FaultKind::None, 0, 0},
        {"status:5x3", false, FaultKind::None, 0, 0},
        {"status:503:-1", false, FaultKind::None, 0, 0},
        {"close:x", false, FaultKind::None, 0, 0},
        {"status:503:1:1", false, FaultKind::None, 0, 0},
        {"reset:1234567890", false, FaultKind::None, 0, 0},
    };
    for (const auto& c : cases) {
        Fault f;
        f.kind = FaultKind::Slow;  // a refused text leaves it untouched
        f.status = 0;
        f.count = 0;
        ASSERT_EQ(ParseFault(c.text, f), c.ok) << c.text;
        if (!c.ok) {
            EXPECT_EQ(f.kind, FaultKind::Slow) << c.text;
            continue;
        }
        EXPECT_EQ(f.kind, c.kind) << c.text;
        EXPECT_EQ(f.status, c.status) << c.text;
        EXPECT_EQ(f.count, c.count) << c.text;
    }
}

TEST(SimLogic, DialectByModel) {
    const Dialect expected[] = {Dialect::FormPost, Dialect::Query,      Dialect::FormPost,
                                Dialect::FormPost, Dialect::FormPost,   Dialect::Query,
                                Dialect::Query,    Dialect::FormEncoded};
    for (int model = 1; model <= 8; ++model) EXPECT_EQ(DialectOf(model), expected[model - 1]);
}

// The router client reads the second upload request's values at fixed distances from
// markers in the first 110 characters after "Moved Permanently"; they must all be there.
TEST(SimLogic, UploadRedirectPutsTheValuesWhereTheClientReads) {
    for (std::size_t start : {std::size_t{210}, std::size_t{98765}}) {
        PendingUpload upload;
        upload.fileToken = "/var/fw12.bin";
        upload.startPos = start;
        upload.endPos = start + 4194304;
        const std::string answer = UploadRedirect(upload);
        ASSERT_EQ(answer.rfind("HTTP/1.1 301 Moved Permanently\r\n", 0), 0u);
        const std::size_t headEnd = answer.find("\r\n\r\n");
        ASSERT_NE(headEnd, std::string::npos);
        EXPECT_EQ(answer.size() - headEnd - 4, 512u);  // the body its Content-Length gives
        const std::string window =
            zavro::router::FindValueIn(answer.data(), answer.size(), "Moved Permanently", 110);
        const auto r = zavro::router::ParseRedirect(window);
        EXPECT_EQ(r.path, "/upgrade.asp");
        EXPECT_EQ(r.file, "%2Fvar%2Ffw12.bin");
        EXPECT_EQ(r.start, std::to_string(upload.startPos));
        EXPECT_EQ(r.end, std::to_string(upload.endPos));
    }
}

}  // namespace
}  // namespace routersim
