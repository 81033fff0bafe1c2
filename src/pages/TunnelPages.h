// The two-page tunnel setup shared by PPTP and L2TP. The first page takes the router's own
// WAN address (dynamic or fixed) and keeps it in theApp; the second takes the tunnel
// account and sends everything in one request.
#pragma once

#include <string>
#include <vector>

#include "pages/WanPageCommon.h"

namespace zavro {

struct TunnelPlacement {
    int id;
    ControlKind kind;
    bool checkBox;     // a check hotspot (icons 166/165)
    Rect dialogUnits;  // template rectangle
    Rect pixels;       // where the page puts it
};

struct TunnelAddressSpec {
    const char* className;
    int templateId;
    const char* picture;
    unsigned nextMessage;    // the second page
    bool placeOnEveryPaint;  // otherwise placed once, at initialisation
    std::vector<TunnelPlacement> controls;
};

class CFunction;
using TunnelRequest = int (CFunction::*)(int, const std::string&, const std::string&,
                                         const std::string&, const std::string&, const std::string&,
                                         const std::string&, const std::string&, const std::string&,
                                         const std::string&, const std::string&, const std::string&,
                                         int, const std::string&);

struct TunnelAccountSpec {
    const char* className;
    int templateId;
    const char* picture;
    unsigned backMessage;  // the first page
    TunnelRequest request;
    const char* failureKey;
    bool placeOnEveryPaint;
    bool handOverBack;  // whether Back (1016) shows the hand cursor
    std::vector<TunnelPlacement> controls;
};

// First page: address mode, host name and MAC, or fixed address, mask and gateway.
class CTunnelAddressPage : public CWanPageCommon {
public:
    CTunnelAddressPage(CZavroDlg* parent, const TunnelAddressSpec& spec);

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    void OnNotify(int id, Notify code) override;
    void BeforePaint() override;

private:
    // The address-mode boxes 1042 and 1043, after the click toggled them.
    void OnAddressModeBox(int id);
    void OnNext();

    const TunnelAddressSpec& m_spec;
};

// Second page: tunnel account, server, connection ID, MTU and connection mode.
class CTunnelAccountPage : public CWanPageCommon {
public:
    CTunnelAccountPage(CZavroDlg* parent, const TunnelAccountSpec& spec);

    // 0 continuous, 1 connect on demand (index of 1040).
    int ConnectMode() const { return m_nConnectMode; }

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    void OnNotify(int id, Notify code) override;
    void BeforePaint() override;

    virtual void Apply(std::string strUser, std::string strPassword, std::string strServer,
                       std::string strConnId, std::string strMtu, int nConnectMode,
                       std::string strIdleTime);

private:
    void OnNext();

    const TunnelAccountSpec& m_spec;
    int m_nConnectMode = 0;
};

}  // namespace zavro
