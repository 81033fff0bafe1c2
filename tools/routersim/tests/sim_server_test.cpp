// The simulated router over loopback sockets: what the other suites rely on. Requests are
// written byte for byte, so the simulator's own judgement is what is tested.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "RouterSim.h"
#include "router/Answers.h"
#include "sim_test_support.h"

namespace routersim {
namespace {

using test::Answer;
using test::End;
using test::Exchange;
using test::RawClient;
using test::Request;

class SimServer : public ::testing::Test {
protected:
    void Start(Options options = {}) {
        sim = std::make_unique<Simulator>(std::move(options));
        ASSERT_TRUE(sim->Start());
    }
    Answer Send(const std::string& request) { return Exchange(sim->Port(), request); }
    void SetUp() override { Start(); }

    std::unique_ptr<Simulator> sim;
};

// ---- request line and account ----

TEST_F(SimServer, MalformedRequestLinesGet400AndAreRecorded) {
    const std::string bad[] = {
        "GET /goform/asp_setWlanBasic?ssid0=a b HTTP/1.1\r\nHost: x\r\n\r\n",
        std::string("GET /index.asp?x=\x01 HTTP/1.1\r\nHost: x\r\n\r\n"),
        "GET /index.asp HTTP/1.1\nHost: x\n\n\r\n\r\n",
    };
    for (const auto& text : bad) {
        sim->ClearRequests();
        RawClient c(sim->Port());
        ASSERT_TRUE(c.Send(text));
        Answer a;
        ASSERT_EQ(c.ReadAnswer(a), End::Answer);
        EXPECT_EQ(a.status, 400) << text;
        EXPECT_EQ(a.Header("Connection"), "close");
        Answer more;
        EXPECT_EQ(c.ReadAnswer(more), End::Closed);  // the connection ends after it
        const auto requests = sim->Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(requests[0].status, 400);
        EXPECT_EQ(requests[0].method, "GET");
    }
    // The same target percent-encoded is fine.
    EXPECT_EQ(Send(Request("GET", "/goform/asp_setWlanBasic?ssid0=a%20b")).status, 404)
        << "model 8 has no query-family forms";
    sim->SetModel(2);
    EXPECT_EQ(Send(Request("GET", "/goform/asp_setWlanBasic?ssid0=a%20b")).status, 200);
    EXPECT_EQ(sim->GetState().ssid, "a b");
}

TEST_F(SimServer, BadLengthsAndEncodingsAreRefused) {
    const std::pair<std::string, int> cases[] = {
        {"POST /goform/formReboot HTTP/1.1\r\nContent-Length: 1x\r\n\r\n", 400},
        {"POST /goform/formReboot HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\n", 400},
        {"POST /goform/formReboot HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", 501},
        {"POST /goform/formUpload HTTP/1.1\r\nContent-Length: 999999999999\r\n\r\n", 413},
    };
    for (const auto& [text, status] : cases) EXPECT_EQ(Send(text).status, status) << text;
    EXPECT_EQ(sim->GetState().reboots, 0);
}

TEST_F(SimServer, BasicChallengeAndAccount) {
    Answer a = Send(Request("GET", "/index.asp", {}, {}, {}));
    EXPECT_EQ(a.status, 401);
    EXPECT_EQ(a.Header("WWW-Authenticate"), "Basic realm=\"Zavro Broadband Router\"");
    // "admin:wrong", "root:5820", a broken token.
    for (const char* token : {"YWRtaW46d3Jvbmc=", "cm9vdDo1ODIw", "YWRtaW46NTgyMA="})
        EXPECT_EQ(Send(Request("GET", "/index.asp", {}, {}, token)).status, 401) << token;
    EXPECT_EQ(Send(Request("GET", "/index.asp")).status, 200);
    // Unknown pages are 404 before the account is asked for; wrong methods 405 after.
    EXPECT_EQ(Send(Request("GET", "/nothing.asp", {}, {}, {})).status, 404);
    EXPECT_EQ(Send(Request("GET", "/goform/asp_restart")).status, 404);  // not model 8's
    Answer get = Send(Request("GET", "/goform/formReboot"));
    EXPECT_EQ(get.status, 405);
    EXPECT_EQ(get.Header("Allow"), "POST");
    EXPECT_EQ(sim->GetState().reboots, 0);

    // A changed password is the one asked for from then on.
    State s;
    s.adminPassword = "n3w";
    sim->SetState(s);
    EXPECT_EQ(Send(Request("GET", "/index.asp")).status, 401);
    EXPECT_EQ(Send(Request("GET", "/index.asp", {}, {}, "YWRtaW46bjN3")).status, 200);
}

TEST_F(SimServer, KeepAliveServesSeveralRequestsOnOneConnection) {
    RawClient c(sim->Port());
    ASSERT_TRUE(c.Send(Request("GET", "/index.asp") + Request("GET", "/wlbasic.asp")));
    Answer first, second;
    ASSERT_EQ(c.ReadAnswer(first), End::Answer);
    ASSERT_EQ(c.ReadAnswer(second), End::Answer);
    EXPECT_EQ(first.status, 200);
    EXPECT_NE(second.body.find("document.wlanSetup.ssid.value!=\"default\")"), std::string::npos)
        << second.body;
    ASSERT_TRUE(c.Send(Request("GET", "/index.asp", {}, "Connection: close\r\n")));
    Answer third;
    ASSERT_EQ(c.ReadAnswer(third), End::Answer);
    EXPECT_EQ(third.Header("Connection"), "close");
    EXPECT_EQ(c.ReadAnswer(third), End::Closed);
    EXPECT_EQ(sim->Requests().size(), 3u);
}

TEST_F(SimServer, ContinueIsSentOnlyWhenTheBodyIsAwaited) {
    const std::string body = test::WithZero("ssid=Later");
    RawClient c(sim->Port());
    ASSERT_TRUE(c.Send(Request(
        "POST", "/goform/formWlanSetup", {},
        "Expect: 100-continue\r\nContent-Length: " + std::to_string(body.size()) + "\r\n")));
    Answer interim;
    ASSERT_EQ(c.ReadAnswer(interim), End::Answer);
    EXPECT_EQ(interim.status, 100);
    ASSERT_TRUE(c.Send(body));
    Answer a;
    ASSERT_EQ(c.ReadAnswer(a), End::Answer);
    EXPECT_EQ(a.status, 200);
    EXPECT_EQ(sim->GetState().ssid, "Later");
    // With the body already there no interim answer comes first.
    Answer direct = Send(Request("POST", "/goform/formWlanSetup", test::WithZero("ssid=Now"),
                                 "Expect: 100-continue\r\n"));
    EXPECT_EQ(direct.status, 200);
    EXPECT_EQ(sim->GetState().ssid, "Now");
}

// ---- settings in each dialect ----

struct SettingCase {
    const char* name;
    int model;
    std::string request;
    int status;
    std::function<bool(const State&)> kept;
};

std::string Encoded(const char* path, const std::string& body) {
    return Request("POST", path, test::WithZero(body));
}
std::string FormPost(const char* path,
                     std::initializer_list<std::pair<std::string_view, std::string_view>> f) {
    return Request("POST", path, test::FormPostBody(f), test::FormPostHeader());
}
std::string QueryPost(const char* path, const std::string& body) {
    return Request("POST", path, test::WithZero(body), "Content-Type: multipart/form-data\r\n");
}

TEST_F(SimServer, EachDialectChangesTheSettings) {
    const std::string wpa8 =
        "wepEnabled=ON&method=2&length=1&format=2&defaultTxKeyId=1&key1=**********&wpaCipher=2"
        "&pskFormat=0&pskValue=k%26y%3D12345&sel1xMode=ON&radiusIP=&radiusPort=1812&radiusPass="
        "&submit-url=%2Fwireless.asp";
    const std::string off8 =
        "wepEnabled=ON&method=0&length=1&format=2&defaultTxKeyId=1&key1=**********&wpaCipher=1"
        "&pskFormat=0&pskValue=**********&sel1xMode=ON&radiusIP=&radiusPort=1812&radiusPass="
        "&submit-url=%2Fwireless.asp";
    const SettingCase cases[] = {
        // wireless name
        {"ssid form-encoded", 8, Encoded("/goform/formWlanSetup", "ssid=Tom %26 Jerry"), 200,
         [](const State& s) { return s.ssid == "Tom & Jerry"; }},
        {"ssid form-post", 3, FormPost("/goform/formWlanSetup", {{"ssid", "Den%26Co"}}), 200,
         [](const State& s) { return s.ssid == "Den&Co"; }},
        {"ssid query", 6, Request("GET", "/goform/asp_setWlanBasic?ssid0=a%3Db"), 200,
         [](const State& s) { return s.ssid == "a=b"; }},
        {"ssid missing", 8, Encoded("/goform/formWlanSetup", "name=x"), 400,
         [](const State& s) { return s.ssid == "default"; }},
        {"ssid in the wrong family", 2, Encoded("/goform/formWlanSetup", "ssid=x"), 404,
         [](const State& s) { return s.ssid == "default"; }},
        {"form-post body to form-encoded", 8, FormPost("/goform/formWlanSetup", {{"ssid", "x"}}),
         400, [](const State& s) { return s.ssid == "default"; }},
        // WPA key and security off
        {"wpa form-encoded", 8, Encoded("/goform/formWlEncrypt", wpa8), 302,
         [](const State& s) { return s.securityOn && s.wpaKey == "k&y=12345"; }},
        {"wpa form-post", 1,
         FormPost("/goform/formWlEncrypt", {{"method", "2"},
                                            {"format", "2"},
                                            {"wpaCipher", "1"},
                                            {"pskFormat", "0"},
                                            {"pskValue", "abc%25defg"}}),
         200, [](const State& s) { return s.securityOn && s.wpaKey == "abc%defg"; }},
        {"wpa query", 7,
         Request("GET",
                 "/goform/asp_setWlanSecurity?cryptType0=2%09%09%09%09%09&cryptSubType0=0"
                 "&authType0=0&key0=p%20w%26rd12"),
         200, [](const State& s) { return s.securityOn && s.wpaKey == "p w&rd12"; }},
        {"off form-encoded", 8, Encoded("/goform/formWlEncrypt", off8), 302,
         [](const State& s) { return !s.securityOn; }},
        {"off form-post", 5, FormPost("/goform/formWlEncrypt", {{"method", "0"}}), 200,
         [](const State& s) { return !s.securityOn; }},
        {"off query", 2, QueryPost("/goform/asp_setWlanSecurity", "cryptType0=0&authType0=0"), 200,
         [](const State& s) { return !s.securityOn; }},
        {"off query without the content type", 2,
         Request("POST", "/goform/asp_setWlanSecurity", test::WithZero("cryptType0=0")), 400,
         [](const State& s) { return s.securityOn; }},
        {"off query as GET", 2, Request("GET", "/goform/asp_setWlanSecurity?cryptType0=0"), 400,
         [](const State& s) { return s.securityOn; }},
        // administrator password
        {"password form-encoded", 8,
         Request("POST", "/goform/formPasswordSetup",
                 "oldpass=5820&newpass=n3w&confpass=n3w&submit-url=%2Fsyspasswd.asp"),
         200, [](const State& s) { return s.adminPassword == "n3w"; }},
        {"password with a wrong current one", 8,
         Request("POST", "/goform/formPasswordSetup", "oldpass=1&newpass=n&confpass=n"), 400,
         [](const State& s) { return s.adminPassword == "5820"; }},
        {"password confirmation differs", 4,
         FormPost("/goform/formPasswordSetup",
                  {{"oldpass", "5820"}, {"newpass", "a"}, {"confpass", "b"}}),
         400, [](const State& s) { return s.adminPassword == "5820"; }},
        {"password query", 2,
         Request("GET", "/goform/asp_setUser?account=admin&password=q&password2=q"), 200,
         [](const State& s) { return s.adminPassword == "q"; }},
        // restart
        {"reboot form-encoded", 8, Request("POST", "/goform/formReboot", std::string(1, '\0')), 200,
         [](const State& s) { return s.reboots == 1; }},
        {"reboot form-encoded with fields", 8, Encoded("/goform/formReboot", "a=1"), 400,
         [](const State& s) { return s.reboots == 0; }},
        {"reboot form-post", 1,
         FormPost("/goform/formReboot", {{"reset_flag", "0"}, {"submit-url", "%2Ftlreset.asp"}}),
         302, [](const State& s) { return s.reboots == 1; }},
        {"reboot query", 6, Request("GET", "/goform/asp_restart?ExeFunc=System+Restart"), 200,
         [](const State& s) { return s.reboots == 1; }},
        {"reboot query without the function", 6, Request("GET", "/goform/asp_restart"), 400,
         [](const State& s) { return s.reboots == 0; }},
        // router language (form-encoded family only)
        {"language", 8,
         Request("POST", "/goform/formWriteLanguage", "language_256=on&selected_language=256"), 200,
         [](const State& s) { return s.webLanguage == 256; }},
        {"language flags disagree", 8,
         Request("POST", "/goform/formWriteLanguage", "language_8=on&selected_language=256"), 400,
         [](const State& s) { return s.webLanguage == 0; }},
        {"language in the form-post family", 1,
         Request("POST", "/goform/formWriteLanguage", "selected_language=0"), 404,
         [](const State& s) { return s.webLanguage == 0; }},
        // one WAN request per family
        {"pppoe form-encoded", 8,
         Encoded("/goform/formWanTcpipSetup",
                 "wanMode=2&pppUserName=al%40isp&pppPassword=pw&pppServName=&pppMTU=1392"
                 "&pppConnectType=1&pppIdleTime=5&ipMode=1"),
         200, [](const State& s) { return s.wanType == 3 && s.wan.at("pppUserName") == "al@isp"; }},
        {"pppoe missing the idle time", 8,
         Encoded("/goform/formWanTcpipSetup",
                 "wanMode=2&pppUserName=a&pppPassword=p&pppServName=&pppMTU=1392"
                 "&pppConnectType=1&ipMode=1"),
         400, [](const State& s) { return s.wanType == 0 && s.wan.empty(); }},
        {"static query", 2,
         QueryPost("/goform/asp_setStaticWizard",
                   "wanip_1=1&wanip_2=2&wanip_3=3&wanip_4=4&wansm_1=255&wansm_2=255&wansm_3=255"
                   "&wansm_4=0&wangw_1=1&wangw_2=2&wangw_3=3&wangw_4=1&wandns_1=8&wandns_2=8"
                   "&wandns_3=8&wandns_4=8"),
         200, [](const State& s) { return s.wanType == 2 && s.wan.at("wanip_4") == "4"; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        State initial;
        initial.securityOn = true;
        initial.wpaKey = "before";
        sim->SetState(initial);
        sim->SetModel(c.model);
        Answer a = Send(c.request);
        EXPECT_EQ(a.status, c.status) << a.body;
        EXPECT_TRUE(c.kept(sim->GetState()));
        if (c.status == 302) {
            EXPECT_FALSE(a.Header("Location").empty());
        }
    }
}

TEST_F(SimServer, TheWirelessPageShowsTheNameForTheClient) {
    State s;
    s.ssid = "Caf\xE9 & <Bar>";
    sim->SetState(s);
    for (int model : {1, 2, 8}) {
        sim->SetModel(model);
        Answer a = Send(Request("GET", "/wlbasic.asp"));
        ASSERT_EQ(a.status, 200);
        // Raw in the script comparison the client reads; escaped in the HTML.
        EXPECT_NE(a.body.find("document.wlanSetup.ssid.value!=\"" + s.ssid + "\")"),
                  std::string::npos);
        EXPECT_NE(a.body.find("value=\"Caf\xE9 &amp; &lt;Bar&gt;\""), std::string::npos);
        EXPECT_NE(a.body.find(model == 2 ? "/goform/asp_setWlanBasic" : "/goform/formWlanSetup"),
                  std::string::npos);
    }
    // The status page is the state, with secrets masked and no account asked for.
    s.wpaKey = "sekrit-key";
    s.adminPassword = "sekrit-pw";
    sim->SetState(s);
    Answer status = Send(Request("GET", "/sim/status", {}, {}, {}));
    EXPECT_EQ(status.status, 200);
    EXPECT_EQ(status.body.find("sekrit"), std::string::npos) << status.body;
    EXPECT_NE(status.body.find("\"adminPasswordIsDefault\": false"), std::string::npos);
    EXPECT_NE(status.body.find("\"dialect\": \"form-encoded\""), std::string::npos);
}

// ---- restart ----

TEST_F(SimServer, RestartDropsConnectionsAndComesBackOnTheSamePort) {
    Options options;
    options.rebootDownMs = 300;
    Start(options);
    const auto port = sim->Port();
    RawClient idle(port);
    ASSERT_TRUE(idle.Send(Request("GET", "/index.asp")));
    Answer a;
    ASSERT_EQ(idle.ReadAnswer(a), End::Answer);

    Answer reboot = Send(Request("POST", "/goform/formReboot", std::string(1, '\0')));
    EXPECT_EQ(reboot.status, 200);
    EXPECT_EQ(reboot.Header("Connection"), "close");
    EXPECT_EQ(idle.ReadAnswer(a, 2000), End::Closed);  // the kept connection is dropped
    RawClient during(port);
    EXPECT_FALSE(during.Connected());
    EXPECT_EQ(during.ConnectError(), ECONNREFUSED);
    // Back after the down time (bounded real wait: the simulator runs on the real clock).
    bool back = false;
    for (int i = 0; i < 100 && !back; ++i) {
        ::usleep(20000);
        back = Send(Request("GET", "/index.asp")).status == 200;
    }
    EXPECT_TRUE(back);
    EXPECT_EQ(sim->Port(), port);
    EXPECT_EQ(sim->GetState().reboots, 1);
}

// ---- firmware upload ----

std::string UploadBody(std::string_view boundary, std::string_view part, const std::string& image) {
    return "--" + std::string(boundary) + "\r\nContent-Disposition: form-data; name=\"" +
           std::string(part) +
           "\"; filename=\"C:\\fw\\Firmware.bin\"\r\nContent-Type: application/octet-stream"
           "\r\n\r\n" +
           image + "\r\n--" + std::string(boundary) + "--\r\n";
}
std::string UploadRequest(const char* path, const std::string& body) {
    return Request("POST", path, body,
                   "Content-Type: multipart/form-data; boundary=" +
                       std::string(test::kUploadBoundary) + "\r\n");
}

TEST_F(SimServer, FormFamiliesTakeTheImageInOneRequest) {
    std::string image(300000, '\0');
    for (std::size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>(i * 7);
    for (int model : {1, 8}) {
        SCOPED_TRACE(model);
        sim->SetState({});
        sim->SetModel(model);
        Answer a = Send(UploadRequest("/goform/formUpload",
                                      UploadBody(test::kUploadBoundary, "binary", image)));
        EXPECT_EQ(a.status, 200);
        EXPECT_EQ(a.Header("Connection"), "close");
        const State s = sim->GetState();
        EXPECT_EQ(s.firmwareUploads, 1);
        EXPECT_EQ(s.firmwareBytes, image.size());
        EXPECT_EQ(s.firmwareName, "C:\\fw\\Firmware.bin");
        EXPECT_EQ(s.reboots, 0);  // the image's restart is not a counted reboot
    }
    const std::pair<std::string, const char*> refused[] = {
        {Request("POST", "/goform/formUpload", UploadBody(test::kUploadBoundary, "binary", "x"),
                 "Content-Type: multipart/form-data; boundary=other\r\n"),
         "other boundary"},
        {UploadRequest("/goform/formUpload", UploadBody(test::kUploadBoundary, "image", "x")),
         "no binary part"},
        {UploadRequest("/goform/formUpload", "--" + std::string(test::kUploadBoundary)),
         "broken body"},
    };
    for (const auto& [request, why] : refused) EXPECT_EQ(Send(request).status, 400) << why;
    EXPECT_EQ(sim->GetState().firmwareUploads, 1);
}

TEST_F(SimServer, QueryFamilyTakesTheImageInTwoSteps) {
    sim->SetModel(2);
    const std::string image = "FIRMWARE-IMAGE-BYTES";
    EXPECT_EQ(Send(QueryPost("/goform/asp_updateFW", "filename=x&startPos=1&endPos=2")).status, 400)
        << "nothing uploaded yet";
    const std::string body = UploadBody(test::kQueryUploadBoundary, "run.bin", image);
    Answer first = Send(UploadRequest("/goform/asp_upload", body));
    ASSERT_EQ(first.status, 301);
    EXPECT_EQ(sim->GetState().firmwareUploads, 0);  // not taken before the second step
    const auto r = zavro::router::ParseRedirect(
        zavro::router::FindValueIn(first.raw.data(), first.raw.size(), "Moved Permanently", 110));
    EXPECT_EQ(r.start, std::to_string(body.find(image)));
    EXPECT_EQ(r.end, std::to_string(body.find(image) + image.size()));

    const std::string wrong = "filename=" + r.file + "&startPos=" + r.start + "&endPos=1";
    EXPECT_EQ(Send(QueryPost("/goform/asp_updateFW", wrong)).status, 400);
    Answer second = Send(QueryPost("/goform/asp_updateFW", r.Body()));
    EXPECT_EQ(second.status, 200);
    State s = sim->GetState();
    EXPECT_EQ(s.firmwareUploads, 1);
    EXPECT_EQ(s.firmwareBytes, image.size());
    // The upload is used up.
    EXPECT_EQ(Send(QueryPost("/goform/asp_updateFW", r.Body())).status, 400);
    EXPECT_EQ(sim->GetState().firmwareUploads, 1);
}

// ---- fault modes ----

TEST_F(SimServer, StatusFaultCountsDownAndSparesTheStatusPage) {
    Fault f;
    f.kind = FaultKind::Status;
    f.status = 503;
    f.count = 2;
    sim->SetFault(f);
    EXPECT_EQ(Send(Request("GET", "/sim/status")).status, 200);  // never faulted
    EXPECT_EQ(Send(Request("GET", "/index.asp")).status, 503);
    EXPECT_EQ(sim->GetFault().count, 1);
    EXPECT_EQ(Send(Request("POST", "/goform/formReboot", std::string(1, '\0'))).status, 503);
    EXPECT_EQ(sim->GetFault().kind, FaultKind::None);
    EXPECT_EQ(sim->GetState().reboots, 0);  // a faulted request changes nothing
    EXPECT_EQ(Send(Request("GET", "/index.asp")).status, 200);

    f.status = 401;
    f.count = -1;  // until cleared
    sim->SetFault(f);
    for (int i = 0; i < 3; ++i) {
        Answer a = Send(Request("GET", "/index.asp"));
        EXPECT_EQ(a.status, 401);
        EXPECT_EQ(a.Header("WWW-Authenticate"), "Basic realm=\"Zavro Broadband Router\"");
    }
    sim->SetFault({});
    EXPECT_EQ(Send(Request("GET", "/index.asp")).status, 200);
}

TEST_F(SimServer, ConnectionFaults) {
    struct Case {
        FaultKind kind;
        End end;            // how the read ends
        const char* start;  // what arrived first, "" for nothing
    };
    const Case cases[] = {
        {FaultKind::CloseWithoutAnswer, End::Closed, ""},
        {FaultKind::GarbageStatus, End::Closed, "ZAVRO#GARBAGE \x01\x02 status\r\n"},
    };
    for (const auto& c : cases) {
        Fault f;
        f.kind = c.kind;
        f.count = 1;
        sim->SetFault(f);
        sim->ClearRequests();
        RawClient client(sim->Port());
        ASSERT_TRUE(client.Send(Request("GET", "/index.asp")));
        Answer a;
        End e = client.ReadAnswer(a);
        if (c.kind == FaultKind::GarbageStatus) {
            EXPECT_EQ(e, End::Answer);  // a head-shaped line, but no status code in it
            EXPECT_EQ(a.status, 0);
            EXPECT_EQ(a.head.rfind(c.start, 0), 0u);
            e = client.ReadAnswer(a);
        }
        EXPECT_EQ(e, c.end);
        if (*c.start == '\0') {
            EXPECT_TRUE(client.Buffered().empty());
        }
        EXPECT_EQ(sim->Requests().size(), 1u);                      // recorded though unanswered
        EXPECT_EQ(Send(Request("GET", "/index.asp")).status, 200);  // count was 1
    }
}

TEST_F(SimServer, ResetCutsTheAnswerOrTheBody) {
    Fault f;
    f.kind = FaultKind::ResetMidTransfer;
    sim->SetFault(f);
    {
        RawClient client(sim->Port());
        ASSERT_TRUE(client.Send(Request("GET", "/index.asp")));
        Answer a;
        const End e = client.ReadAnswer(a);
        EXPECT_TRUE(e == End::Reset || e == End::Closed) << static_cast<int>(e);
        // Never a whole answer: at most the head and the start of the promised 1024 bytes.
        EXPECT_LT(client.Buffered().size(), 1024u);
    }
    // With a body, half of it is taken and the request is recorded with that half.
    sim->ClearRequests();
    const std::string body(4000, 'b');
    {
        RawClient client(sim->Port());
        ASSERT_TRUE(client.Send(Request("POST", "/goform/formWlanSetup", body)));
        Answer a;
        EXPECT_NE(client.ReadAnswer(a), End::Answer);
    }
    ASSERT_TRUE(sim->WaitForRequests(1));
    const auto requests = sim->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_LT(requests[0].raw.size(), Request("POST", "/goform/formWlanSetup", body).size());
    EXPECT_EQ(sim->GetState().ssid, "default");
}

TEST_F(SimServer, NoAnswerHoldsTheConnectionUntilStop) {
    Fault f;
    f.kind = FaultKind::NoAnswer;
    sim->SetFault(f);
    RawClient client(sim->Port());
    ASSERT_TRUE(client.Send(Request("GET", "/index.asp")));
    ASSERT_TRUE(sim->WaitForRequests(1));
    EXPECT_EQ(client.ReadSome(200), End::Silent);
    EXPECT_EQ(sim->Requests()[0].status, 0);
    sim->Stop();  // must not wait for the client to give up
    Answer a;
    EXPECT_NE(client.ReadAnswer(a, 2000), End::Answer);
}

TEST_F(SimServer, SlowTricklesTheAnswerAndStopsWhenTold) {
    Fault f;
    f.kind = FaultKind::Slow;
    f.slowChunkBytes = 16;
    f.slowDelayMs = 1;
    sim->SetFault(f);
    const Answer normal = [&] {
        sim->SetFault({});
        Answer a = Send(Request("GET", "/index.asp"));
        sim->SetFault(f);
        return a;
    }();
    Answer slow = Send(Request("GET", "/index.asp"));
    EXPECT_EQ(slow.raw, normal.raw);  // the same bytes, only later

    // With a long pause between pieces only the first piece is there until stop.
    f.slowDelayMs = 60000;
    sim->SetFault(f);
    RawClient client(sim->Port());
    ASSERT_TRUE(client.Send(Request("GET", "/index.asp")));
    ASSERT_EQ(client.ReadSome(5000), End::Answer);
    EXPECT_EQ(client.Buffered(), "HTTP/1.1 200 OK\r");
    sim->Stop();
    Answer rest;
    EXPECT_NE(client.ReadAnswer(rest, 2000), End::Answer);
    EXPECT_EQ(client.Buffered(), "HTTP/1.1 200 OK\r");
}

TEST_F(SimServer, OversizedSendsTheLengthItPromises) {
    Fault f;
    f.kind = FaultKind::Oversized;
    f.oversizedBytes = 300000;
    f.count = 1;
    sim->SetFault(f);
    Answer a = Send(Request("GET", "/index.asp"));
    EXPECT_EQ(a.status, 200);
    EXPECT_EQ(a.Header("Content-Length"), "300000");
    ASSERT_EQ(a.body.size(), 300000u);
    EXPECT_EQ(a.body.find("<html>"), std::string::npos);  // filler, not the page
    EXPECT_EQ(a.body[127], '\n');
}

// ---- Internet page ----

TEST_F(SimServer, InternetPageUpAndDown) {
    Answer a = Exchange(sim->InternetPort(), Request("GET", "/", {}, {}, {}));
    EXPECT_EQ(a.status, 200);
    EXPECT_EQ(Exchange(sim->InternetPort(), Request("POST", "/", "x")).status, 405);
    EXPECT_EQ(sim->InternetRequests().size(), 2u);
    EXPECT_TRUE(sim->Requests().empty());
    sim->SetInternetUp(false);
    RawClient refused(sim->InternetPort());
    EXPECT_FALSE(refused.Connected());
    sim->SetInternetUp(true);
    EXPECT_EQ(Exchange(sim->InternetPort(), Request("GET", "/")).status, 200);
}

// ---- state file and options ----

std::string ReadFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST_F(SimServer, StateFileFollowsEveryChange) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("zavro-sim-state-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto file = dir / "state.json";
    Options options;
    options.model = 6;
    options.stateFile = file.string();
    Start(options);
    std::string text = ReadFile(file);
    EXPECT_NE(text.find("\"model\": 6"), std::string::npos) << text;
    EXPECT_NE(text.find("\"dialect\": \"query\""), std::string::npos);
    EXPECT_NE(text.find("\"ssid\": \"default\""), std::string::npos);

    Send(Request("GET",
                 "/goform/asp_setWlanSecurity?cryptType0=2&cryptSubType0=0&authType0=0"
                 "&key0=very-secret-key"));
    Send(Request("GET", "/goform/asp_setWlanBasic?ssid0=Quote%22Back%5C"));
    text = ReadFile(file);
    EXPECT_NE(text.find("\"securityOn\": true"), std::string::npos) << text;
    EXPECT_NE(text.find("\"wpaKey\": \"********\""), std::string::npos);
    EXPECT_EQ(text.find("very-secret-key"), std::string::npos);
    EXPECT_EQ(text.find("5820"), std::string::npos);
    EXPECT_NE(text.find("\"ssid\": \"Quote\\\"Back\\\\\""), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(file.string() + ".tmp"));
    sim.reset();
    std::filesystem::remove_all(dir);
}

TEST_F(SimServer, StartRefusesWhatItCannotServe) {
    sim.reset();
    const std::pair<const char*, int> refused[] = {{"10.0.0.1", 8},
                                                   {"192.168.2.1", 8},
                                                   {"example.org", 8},
                                                   {"127.0.0.1", 0},
                                                   {"127.0.0.1", 9}};
    for (const auto& [host, model] : refused) {
        Options o;
        o.host = host;
        o.model = model;
        Simulator s(o);
        EXPECT_FALSE(s.Start()) << host << " model " << model;
    }
    // A port in use is refused too.
    Start();
    Options same;
    same.port = sim->Port();
    Simulator second(same);
    EXPECT_FALSE(second.Start());
}

TEST_F(SimServer, RecordingLimits) {
    Options options;
    options.maxRecorded = 2;
    options.recordBodyLimit = 10;
    std::vector<std::string> lines;
    std::mutex linesMutex;
    options.log = [&](const std::string& line) {
        std::lock_guard lock(linesMutex);
        lines.push_back(line);
    };
    Start(options);
    Send(Request("GET", "/index.asp?secret=1"));
    Send(Request("POST", "/goform/formWlanSetup", test::WithZero("ssid=0123456789abc")));
    Send(Request("GET", "/wlbasic.asp"));
    const auto requests = sim->Requests();
    ASSERT_EQ(requests.size(), 2u);  // the last two only
    EXPECT_TRUE(requests[0].bodyOmitted);
    EXPECT_TRUE(requests[0].body.empty());
    EXPECT_EQ(requests[0].bodySize, 19u);              // with its zero byte
    EXPECT_EQ(sim->GetState().ssid, "0123456789abc");  // omitted from the record, not lost
    std::lock_guard lock(linesMutex);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "GET /index.asp -> 200");  // never the query or the body
    EXPECT_EQ(lines[1], "POST /goform/formWlanSetup -> 200");
}

}  // namespace
}  // namespace routersim
