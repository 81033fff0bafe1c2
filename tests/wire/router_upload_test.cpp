// Firmware upload over raw sockets for both families, its failure paths and its cancel.
#include <sstream>
#include <thread>

#include "RouterWireFixture.h"
#include "router/Function.h"

#ifdef ZAVRO_HAVE_ROUTERSIM
namespace zavro::test {
namespace {

using namespace std::string_literals;
using routersim::Fault;
using routersim::FaultKind;

// 3000 bytes with every byte value, zero bytes included.
std::string Image(std::size_t size = 3000) {
    std::string s(size, '\0');
    for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 7 + 3) & 0xFF);
    return s;
}

class RouterUpload : public RouterWireTest {
protected:
    // Both sockets connected the way the firmware page connects them.
    void ConnectSockets(CFunction& f) {
        ASSERT_EQ(ConnectClientSocket("192.168.2.1", 80, &m_first), 1);
        ASSERT_EQ(ConnectClientSocket("192.168.2.1", 80, &m_second), 1);
        f.m_pSocket = &m_first;
        f.m_pSocket2 = &m_second;
        f.m_strAuthPassword = "5820";
    }
    CClientSocket m_first;
    CClientSocket m_second;
};

const std::string kPartHead =
    "POST /goform/formUpload HTTP/1.1\r\n"
    "Referer: http://192.168.2.1/tools.asp\r\n"
    "Content-Type: multipart/form-data; boundary=---------------------------7da31c3b3304bc\r\n"
    "Host: 192.168.2.1\r\n"
    "Content-Length: 3327\r\n"
    "Authorization: Basic YWRtaW46NTgyMA==\r\n\r\n";
const std::string kPartBodyHead =
    "-----------------------------7da31c3b3304bc\r\n"
    "Content-Disposition: form-data;name=\"binary\"; filename=\"/media/fw/Firmware.bin\"\r\n"
    "Content-Type: application/octet-stream\r\n\r\n";
const std::string kPartTail =
    "\r\n-----------------------------7da31c3b3304bc\r\n"
    "Content-Disposition: form-data; name=\"submit-url\"\r\n\r\n/tools.asp\r\n"
    "-----------------------------7da31c3b3304bc--\r\n";

TEST_F(RouterUpload, OnePartFamilySendsOneMessage) {
    for (int model : {8, 1, 3, 4, 5}) {
        StartRouter(model);
        CFunction f;
        ConnectSockets(f);
        std::istringstream file(Image());
        EXPECT_EQ(f.UploadFirmware("/media/fw/Firmware.bin", file, model), 1) << model;
        const auto requests = m_sim->Requests();
        ASSERT_EQ(requests.size(), 1u) << model;
        EXPECT_EQ(requests[0].raw, kPartHead + kPartBodyHead + Image() + kPartTail) << model;
        EXPECT_EQ(f.m_nRawLength, static_cast<std::int32_t>(requests[0].raw.size()));
        EXPECT_EQ(f.m_strAuth, "YWRtaW46NTgyMA==");
        const auto state = m_sim->GetState();
        EXPECT_EQ(state.firmwareUploads, 1);
        EXPECT_EQ(state.firmwareBytes, 3000u);
        EXPECT_EQ(state.firmwareName, "/media/fw/Firmware.bin");
        // The router's answer carries no redirect.
        EXPECT_EQ(m_first.FindValue("Moved Permanently", 110, 3000), "null");
        EXPECT_GT(m_first.m_nReceived, 0);
        m_first.Close();
        m_second.Close();
    }
}

const std::string kQueryHead =
    "POST /goform/asp_upload HTTP/1.1\r\n"
    "Referer: http://192.168.2.1/mgmt.asp\r\n"
    "Content-Type: multipart/form-data; boundary=---------------------------7da31c3b3304bc\r\n"
    "Host: 192.168.2.1\r\n"
    "Content-Length: 3196\r\n"
    "Authorization: Basic YWRtaW46NTgyMA==\r\n\r\n";
const std::string kQueryBodyHead =
    "--///***---***---***---***---***///\r\n"
    "Content-Disposition: form-data; name=\"run.bin\"; filename=\"/media/fw/run.bin\"\r\n"
    "Content-Type: application/octet-stream\r\n\r\n";
const std::string kQueryTail = "\r\n--///***---***---***---***---***///--";
// The router kept the image as /var/fw1.bin at body offsets 157..3157 and redirected to
// /upgrade.asp; the second request names them back, every "/" as "%2F".
const std::string kUpdate =
    "POST /goform/asp_updateFW HTTP/1.1\r\n"
    "Referer: http://192.168.2.1/upgrade.asp\r\n"
    "Content-Type: multipart/form-data; boundary=---------------------------7da31c3b3304bc\r\n"
    "Host: 192.168.2.1\r\n"
    "Content-Length: 50\r\n"
    "Authorization: Basic YWRtaW46NTgyMA==\r\n\r\n"
    "filename=%2Fvar%2Ffw1.bin&startPos=157&endPos=3157";

TEST_F(RouterUpload, QueryFamilyFollowsTheRedirect) {
    for (int model : {2, 6, 7, 0}) {
        StartRouter(model == 0 ? 2 : model);
        CFunction f;
        ConnectSockets(f);
        std::istringstream file(Image());
        EXPECT_EQ(f.UploadFirmware("/media/fw/run.bin", file, model), 1) << model;
        const auto requests = m_sim->Requests();
        ASSERT_EQ(requests.size(), 2u) << model;
        EXPECT_EQ(requests[0].raw, kQueryHead + kQueryBodyHead + Image() + kQueryTail) << model;
        EXPECT_EQ(requests[0].status, 301);
        EXPECT_EQ(requests[1].raw, kUpdate) << model;
        EXPECT_EQ(requests[1].status, 200);
        EXPECT_EQ(f.m_nRawLength, static_cast<std::int32_t>(kUpdate.size()));
        const auto state = m_sim->GetState();
        EXPECT_EQ(state.firmwareUploads, 1);
        EXPECT_EQ(state.firmwareBytes, 3000u);
        EXPECT_EQ(state.firmwareName, "/media/fw/run.bin");
        m_first.Close();
        m_second.Close();
    }
}

TEST_F(RouterUpload, QueryFamilyWithoutRedirectStillSendsTheSecondRequest) {
    StartRouter(2);
    // A plain answer instead of the redirect: FindValue gives "null", which parses to
    // empty values; the router refuses that second request, so the upload failed.
    Fault plain;
    plain.kind = FaultKind::Status;
    plain.status = 200;
    plain.count = 1;
    m_sim->SetFault(plain);
    CFunction f;
    ConnectSockets(f);
    std::istringstream file(Image());
    EXPECT_EQ(f.UploadFirmware("/media/fw/run.bin", file, 2), 0);
    EXPECT_EQ(m_first.FindValue("Moved Permanently", 110, 3000), "null");
    const auto requests = m_sim->Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].target, "/goform/asp_updateFW");
    EXPECT_EQ(requests[1].Header("Referer"), "http://192.168.2.1");
    EXPECT_EQ(requests[1].body, "filename=&startPos=&endPos=");
    EXPECT_EQ(requests[1].status, 400);
    EXPECT_EQ(m_sim->GetState().firmwareUploads, 0);
}

TEST_F(RouterUpload, RefusedUploadIsNotReportedAsDone) {
    for (int model : {8, 2}) {
        StartRouter(model);
        CFunction f;
        ConnectSockets(f);
        f.m_strAuthPassword = "wrong";
        std::istringstream file(Image());
        EXPECT_EQ(f.UploadFirmware("/media/fw/Firmware.bin", file, model), 0) << model;
        // The query family stops after the refused first request.
        const auto requests = m_sim->Requests();
        ASSERT_EQ(requests.size(), 1u) << model;
        EXPECT_EQ(requests[0].status, 401);
        EXPECT_EQ(m_sim->GetState().firmwareUploads, 0);
        m_first.Close();
        m_second.Close();
    }
}

TEST_F(RouterUpload, EmptyImageContentLength) {
    StartRouter(8);
    CFunction f;
    ConnectSockets(f);
    std::istringstream file("");
    EXPECT_EQ(f.UploadFirmware("/media/fw/Firmware.bin", file, 8), 1);
    const auto requests = m_sim->Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].Header("Content-Length"), "327");  // body head + 159
    EXPECT_EQ(requests[0].body, kPartBodyHead + kPartTail);
}

TEST_F(RouterUpload, RouterClosingWithoutAnswerFails) {
    for (int model : {8, 2}) {
        StartRouter(model);
        Fault close;
        close.kind = FaultKind::CloseWithoutAnswer;
        m_sim->SetFault(close);
        CFunction f;
        ConnectSockets(f);
        std::istringstream file(Image());
        EXPECT_EQ(f.UploadFirmware("/media/fw/Firmware.bin", file, model), 0) << model;
        m_first.Close();
        m_second.Close();
    }
}

TEST_F(RouterUpload, NoSocketsOrUnreadableImageSendNothing) {
    StartRouter(8);
    CFunction f;
    std::istringstream file(Image());
    EXPECT_EQ(f.UploadFirmware("/x", file, 8), 0);
    EXPECT_EQ(f.UploadFirmware("/x", file, 2), 0);
    ConnectSockets(f);
    std::istream broken(nullptr);  // no file behind it
    EXPECT_EQ(f.UploadFirmware("/x", broken, 8), 0);
    EXPECT_TRUE(m_sim->Requests().empty());
}

TEST_F(RouterUpload, CancelEndsABlockedUpload) {
    StartRouter(8);
    Fault silent;
    silent.kind = FaultKind::NoAnswer;
    m_sim->SetFault(silent);
    CFunction f;
    ConnectSockets(f);
    int result = -1;
    std::thread worker([&] {
        std::istringstream file(Image(1u << 20));
        result = f.UploadFirmware("/media/fw/Firmware.bin", file, 8);
    });
    EXPECT_TRUE(m_sim->WaitForRequests(1));
    m_first.Cancel();
    worker.join();
    EXPECT_EQ(result, 0);
}

TEST_F(RouterUpload, ReceiveBufferKeeps8191Bytes) {
    StartRouter(8);
    Fault big;
    big.kind = FaultKind::Oversized;
    big.oversizedBytes = 64u << 10;
    m_sim->SetFault(big);
    CClientSocket s;
    ASSERT_EQ(ConnectClientSocket("192.168.2.1", 80, &s), 1);
    const std::string request =
        "GET /index.asp HTTP/1.1\r\nHost: 192.168.2.1\r\nAuthorization: Basic "
        "YWRtaW46NTgyMA==\r\n\r\n";
    ASSERT_EQ(s.Send(request.data(), request.size()), static_cast<long>(request.size()));
    int chunks = 0;
    while (s.m_nReceived < 20000 && s.ReceiveChunk(0) == 1) ++chunks;
    EXPECT_GE(s.m_nReceived, 20000);
    EXPECT_EQ(std::string(s.Text()).size(), 8191u);
    EXPECT_EQ(s.m_szBuffer[8191], '\0');
    EXPECT_GE(chunks, 5);
}

}  // namespace
}  // namespace zavro::test
#endif
