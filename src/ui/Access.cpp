#include "ui/Access.h"

#include <map>
#include <utility>

#include "app/Texts.h"

namespace zavro {

namespace {

// Names on any page, where an id means the same everywhere it appears.
const std::map<int, const char*>& CommonNames() {
    static const std::map<int, const char*> names = {
        {1003, "Web site"},      {1004, "Contact"},  {1008, "Exit"},
        {1009, "Setup menu"},    {1010, "Firmware"}, {1011, "Manual"},
        {1012, "Quick guide"},   {1013, "Next"},     {1014, "Wireless security"},
        {1015, "Wireless name"}, {1016, "Back"},     {1018, "Model"},
    };
    return names;
}

using PictureId = std::pair<std::string, int>;

// Where a picture gives an id another meaning, and the fields of each picture.
const std::map<PictureId, const char*>& PictureNames() {
    static const std::map<PictureId, const char*> names = [] {
        std::map<PictureId, const char*> n;
        for (const char* start : {"02", "03", "04", "05", "07", "20", "24"})
            n[{start, 1010}] = "Start";
        n[{"01", 1059}] = "English";
        n[{"01", 1060}] = "Nederlands";
        n[{"01", 1061}] = "Deutsch";
        n[{"01", 1062}] =
            "Fran\xC3\xA7"
            "ais";
        n[{"01", 1063}] = "Italiano";
        n[{"01", 1064}] = "Espa\xC3\xB1ol";
        n[{"01", 1065}] = "Portugu\xC3\xAAs";
        n[{"01", 1066}] = "Polski";
        n[{"01", 1067}] =
            "\xC4\x8C"
            "e\xC5\xA1tina";
        n[{"01", 1068}] = "Magyar";
        n[{"01", 1069}] = "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9";
        n[{"01", 1070}] = "Rom\xC3\xA2n\xC4\x83";
        n[{"01", 1071}] =
            "T\xC3\xBCrk\xC3\xA7"
            "e";
        n[{"01", 1001}] = "Sloven\xC4\x8Dina";
        n[{"01", 1002}] = "Chinese (Taiwan)";
        n[{"01", 1004}] = "Chinese (China)";
        n[{"04", 1013}] = "Step 1";
        n[{"04", 1014}] = "Next";
        n[{"05", 1014}] = "My PC is connected to the router";
        n[{"07", 1062}] = "QX-3150N";
        n[{"07", 1065}] = "QX-3150nS";
        n[{"08", 1020}] = "Current password";
        n[{"08", 1021}] = "New password";
        n[{"08", 1022}] = "New password again";
        n[{"08", 1077}] = "Default";
        n[{"09", 1016}] = "Cable modem (DHCP)";
        n[{"09", 1017}] = "Fixed IP address";
        n[{"09", 1019}] = "PPPoE (DSL)";
        n[{"09", 1020}] = "PPTP";
        n[{"09", 1021}] = "L2TP";
        n[{"09", 1022}] = "Telstra BigPond";
        for (const char* p : {"10", "13", "15"}) {
            n[{p, 1030}] = "Host name";
            n[{p, 1031}] = "MAC address";
            n[{p, 1017}] = "Clone MAC address";
        }
        n[{"11", 1032}] = "IP address";
        n[{"11", 1034}] = "Subnet mask";
        n[{"11", 1033}] = "DNS server";
        n[{"11", 1035}] = "Default gateway";
        for (const char* p : {"13", "15"}) {
            n[{p, 1042}] = "Dynamic IP address";
            n[{p, 1043}] = "Fixed IP address";
            n[{p, 1032}] = "IP address";
            n[{p, 1033}] = "Subnet mask";
            n[{p, 1034}] = "DNS server";
            n[{p, 1035}] = "Default gateway";
        }
        for (const char* p : {"12", "14", "16", "17"}) {
            n[{p, 1036}] = "User name";
            n[{p, 1037}] = "Password";
        }
        for (const char* p : {"12", "14", "16"}) {
            n[{p, 1039}] = "MTU";
            n[{p, 1040}] = "Connection mode";
            n[{p, 1041}] = "Idle time (minutes)";
        }
        n[{"12", 1038}] = "Service name";
        n[{"14", 1035}] = "PPTP server";
        n[{"16", 1035}] = "L2TP server";
        for (const char* p : {"14", "16"}) n[{p, 1045}] = "Connection ID";
        n[{"17", 1047}] = "Use a login server";
        n[{"17", 1025}] = "Login server";
        n[{"18", 1013}] = "Finish";
        n[{"19", 1016}] = "Choose the connection type again";
        n[{"20", 1022}] = "QX-3150n";
        n[{"20", 1023}] = "QX-3150nS";
        n[{"21", 1023}] = "Wireless name (SSID)";
        n[{"21", 1016}] = "Next";
        n[{"21", 1013}] = "Restart";
        n[{"22", 1017}] = "Use WPA security (recommended)";
        n[{"22", 1023}] = "WPA key";
        n[{"22", 1013}] = "Apply";
        n[{"23", 1023}] = "Firmware file";
        n[{"23", 1016}] = "Browse";
        n[{"23", 1017}] = "Upload";
        n[{"24", 1013}] = "Firmware";
        n[{"24", 1066}] = "Update";
        n[{"24", 1067}] = "Skip";
        n[{"25", 1068}] = "Setup menu";
        n[{"25", 1063}] = "Wireless name";
        n[{"25", 1069}] = "Wireless security";
        n[{"25", 1070}] = "Firmware";
        n[{"25", 1071}] = "Quick guide";
        n[{"25", 1072}] = "Manual";
        n[{"25", 1073}] = "Exit";
        n[{"25", 1074}] = "Finish";
        n[{"25", 1015}] = "Wireless name";
        n[{"25", 1075}] = "WPA key";
        n[{"25", 1076}] = "Admin password";
        return n;
    }();
    return names;
}

const std::map<std::string, const char*>& Titles() {
    static const std::map<std::string, const char*> titles = {
        {"01", "Choose your language"},
        {"02", "Contact"},
        {"03", "Welcome to the setup wizard"},
        {"04", "Connect your PC and router"},
        {"05", "Router connection"},
        {"07", "Choose your router model"},
        {"08", "Administrator password"},
        {"09", "Internet connection type"},
        {"10", "Cable modem"},
        {"11", "Fixed IP address"},
        {"12", "PPPoE"},
        {"13", "PPTP: WAN address"},
        {"14", "PPTP: account"},
        {"15", "L2TP: WAN address"},
        {"16", "L2TP: account"},
        {"17", "Telstra BigPond"},
        {"18(1)", "Saving your settings"},
        {"18", "Setup complete"},
        {"18_nonext", "Setup complete"},
        {"19", "No Internet connection"},
        {"20", "User manuals"},
        {"21", "Wireless network name"},
        {"22", "Wireless security"},
        {"23", "Firmware update"},
        {"24", "Router language"},
        {"25", "Your wireless settings"},
    };
    return titles;
}

std::string AccessKey(const std::string& key) {
    // A page's description may be longer than a message box line.
    return StringIniText("ACCESS", key, 2047);
}

}  // namespace

PageAccess PageAccessTexts(const std::string& picture) {
    PageAccess page{AccessKey(picture + ".title"), AccessKey(picture + ".text")};
    if (page.name.empty()) {
        const auto it = Titles().find(picture);
        page.name = it != Titles().end() ? it->second : "Zavro";
    }
    return page;
}

std::string BuiltInAccessName(const std::string& picture, int id) {
    if (const auto it = PictureNames().find({picture, id}); it != PictureNames().end())
        return it->second;
    if (const auto it = CommonNames().find(id); it != CommonNames().end()) return it->second;
    return {};
}

std::string ControlAccessName(const std::string& picture, int id) {
    const std::string idKey = std::to_string(id);
    for (const std::string& key : {picture + "." + idKey, idKey})
        if (std::string name = AccessKey(key); !name.empty()) return name;
    std::string name = BuiltInAccessName(picture, id);
    return name.empty() ? "Button " + idKey : name;
}

}  // namespace zavro
