#include "hostnet/VersionClass.h"

namespace zavro {

int VersionClassOf(const OsVersion& v) {
    const std::string& csd = v.csdVersion;
    if (v.major == 4) {
        if (v.minor == 0) {
            if (v.platformId == 1) return csd == "C" ? 6 : 5;
            if (v.platformId == 2) return 9;
            return 0;
        }
        if (v.minor == 10) return (csd == "A" || csd == "B") ? 8 : 7;
        if (v.minor == 90) return 10;
        return 0;
    }
    if (v.major == 5) {
        switch (v.minor) {
            case 0:
                return 11;
            case 1:
                return 12;
            case 2:
                return 13;
            default:
                return 0;
        }
    }
    return 0;
}

bool IsWin9xFamilyClass(int versionClass) {
    return versionClass == 7 || versionClass == 8 || versionClass == 10;
}

}  // namespace zavro
