// The router protocol client: one object per page action. ConnectRouter fixes the request
// dialect from the model code; every later request is sent in that dialect on the
// connection it opened. Results: 0 accepted, 1 failed or no answer, 2 HTTP 404 (login and
// password change), 3 refused with HTTP 401. Nothing throws out of this class.
#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <string>

#include "platform/Http.h"
#include "router/ClientSocket.h"
#include "router/Failure.h"

namespace zavro {

// A transport failure in the router client's terms (no error at all: no route).
FailCause FailCauseOf(NetError error);

class CFunction {
public:
    static constexpr std::uint32_t kConnectTimeoutMs = 300000;
    // The wrong password of TestLogin's second request.
    static constexpr const char* kWrongPassword = "Hv3;Rk8*Ny6!Qd1~Wz5?B";

    CFunction();
    virtual ~CFunction();
    CFunction(const CFunction&) = delete;
    CFunction& operator=(const CFunction&) = delete;

    // Raw request head of the upload.
    virtual std::string FormatPostHeader(const std::string& strPath, const std::string& strReferer,
                                         const std::string& strHost, std::int64_t nContentLength);
    // Sends the image read from file on m_pSocket (and m_pSocket2 for the query family).
    // 1 when it was sent and the router answered, 0 otherwise.
    virtual int UploadFirmware(const std::string& strFileName, std::istream& file, int nModel);

    // Status reads and login (the address is always the router's; see Ports()).
    int ConnectRouter(const std::string& strAddress, const std::string& strAccount,
                      const std::string& strPassword, int nModel);
    int TestLogin(const std::string& strAddress, const std::string& strAccount,
                  const std::string& strPassword);
    void ReadPcMacAddress();
    // The router's wireless name, read with the given router password; nullopt when the
    // router could not be reached or answered with an error status.
    std::optional<std::string> ReadSsid(const std::string& strPassword);
    int CheckInternet();

    // WAN requests.
    int SetDhcpClient(const std::string& strHostName, const std::string& strMacValue,
                      const std::string& strMac);
    int SetFixedIp(const std::string& strIp, const std::string& strMask, const std::string& strDns,
                   const std::string& strGateway);
    int SetPppoe(const std::string& strUser, const std::string& strPassword,
                 const std::string& strService, const std::string& strMtu, int nConnectType,
                 const std::string& strIdleTime);
    int SetPptp(int nAddrMode, const std::string& strHostName, const std::string& strMacValue,
                const std::string& strMac, const std::string& strIp, const std::string& strMask,
                const std::string& strGateway, const std::string& strUser,
                const std::string& strPassword, const std::string& strServer,
                const std::string& strConnId, const std::string& strMtu, int nConnectType,
                const std::string& strIdleTime);
    int SetL2tp(int nAddrMode, const std::string& strHostName, const std::string& strMacValue,
                const std::string& strMac, const std::string& strIp, const std::string& strMask,
                const std::string& strGateway, const std::string& strUser,
                const std::string& strPassword, const std::string& strServer,
                const std::string& strConnId, const std::string& strMtu, int nConnectType,
                const std::string& strIdleTime);
    int SetTelstra(const std::string& strUser, const std::string& strPassword,
                   const std::string& strServerSwitch, const std::string& strServer);

    // Wireless, password, restart and language requests.
    int SetSsid(const std::string& strSsid);
    int SetWpaKey(const std::string& strKey);
    int DisableWirelessSecurity();
    int SetAdminPassword(const std::string& strCurrent, const std::string& strNew);
    int RebootRouter();
    int SetRouterLanguage(int nLanguage);

    // 200..399 -> 0, 401 -> 3, anything else 1.
    int JudgeResponse(int nStatus);
    // Appends the escaped text to m_strEscaped.
    void EscapeSpecialChars(const std::string& strText);
    // Always 8: every image is taken for the shipped family.
    int GetFirmwareModel(const std::string& strPath, std::istream& file);
    // Why the last exchange of this object failed; None after a success.
    const RouterFailure& LastFailure() const { return m_lastFailure; }

    std::string m_strAuth;
    CClientSocket* m_pSocket = nullptr;   // not owned
    CClientSocket* m_pSocket2 = nullptr;  // not owned
    std::int32_t m_nRawLength = 0;
    std::unique_ptr<IHttpSession> m_internet;
    std::unique_ptr<IHttpConnection> m_pConnection;
    std::string m_strAuthPassword;
    std::string m_strPcMac;
    int m_nModel = -1;
    std::string m_strEscaped;

private:
    RouterFailure m_lastFailure;
    // Notes the outcome of one exchange: a transport failure, an error status, or None.
    void NoteStatus(int status);
    void NoteTransport(NetError error);
    void Note(const HttpResult& result);
    std::unique_ptr<IHttpConnection> Open(const std::string& strAccount,
                                          const std::string& strPassword);
    HttpResult Send(const std::string& verb, const std::string& object,
                    const std::string& header = {}, const std::string& body = {},
                    std::size_t readMax = 0);
    int Post(const std::string& object, const std::string& header, const std::string& body);
    int Get(const std::string& object);
    int JudgePassword(const HttpResult& result);
    // The upload's exchanges on a raw socket, noting why they failed.
    bool Answered(CClientSocket& socket);
    bool SendAll(CClientSocket& socket, const std::string& buffer);
    int UploadOnePart(const std::string& strFileName, std::istream& file);
    int UploadQuery(const std::string& strFileName, std::istream& file);
};

}  // namespace zavro
