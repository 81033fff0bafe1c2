#include <gtest/gtest.h>

#include "hostnet/VersionClass.h"

namespace zavro {
namespace {

struct VersionRow {
    OsVersion version;
    int versionClass;
};

TEST(HostnetVersionClass, EveryRowOfTheTable) {
    const VersionRow rows[] = {
        {{4, 0, 1, "C"}, 6},   // 95 OSR2.x
        {{4, 0, 1, ""}, 5},    // 95
        {{4, 0, 1, " C"}, 5},  // the text is compared whole
        {{4, 0, 1, "c"}, 5},   // and case-sensitively
        {{4, 0, 1, "B"}, 5},
        {{4, 0, 2, ""}, 9},  // NT 4.0
        {{4, 0, 2, "Service Pack 6"}, 9},
        {{4, 0, 0, ""}, 0},    // Win32s is none of them
        {{4, 10, 1, "A"}, 8},  // 98 second edition
        {{4, 10, 1, "B"}, 8},
        {{4, 10, 1, ""}, 7},  // 98
        {{4, 10, 1, "C"}, 7},
        {{4, 10, 1, "AB"}, 7},
        {{4, 10, 1, " A "}, 7},
        {{4, 90, 1, ""}, 10},  // Me
        {{4, 90, 1, "A"}, 10},
        {{4, 3, 1, ""}, 0},  // other 4.x
        {{4, 1, 1, ""}, 0},
        {{5, 0, 2, ""}, 11},  // 2000
        {{5, 0, 2, "Service Pack 4"}, 11},
        {{5, 1, 2, "Service Pack 3"}, 12},  // XP
        {{5, 2, 2, ""}, 13},                // Server 2003
        {{5, 3, 2, ""}, 0},
        {{6, 0, 2, ""}, 0},  // Vista and later
        {{6, 1, 2, ""}, 0},
        {{6, 3, 2, ""}, 0},
        {{10, 0, 2, ""}, 0},
        {{3, 51, 2, ""}, 0},  // older systems
        {{3, 10, 1, ""}, 0},
    };
    for (const VersionRow& row : rows) {
        const OsVersion& v = row.version;
        EXPECT_EQ(VersionClassOf(v), row.versionClass)
            << v.major << "." << v.minor << " platform " << v.platformId << " csd '" << v.csdVersion
            << "'";
    }
}

TEST(HostnetVersionClass, OnlySevenEightAndTenAreThe9xFamily) {
    for (int c = -1; c <= 20; ++c) {
        EXPECT_EQ(IsWin9xFamilyClass(c), c == 7 || c == 8 || c == 10) << c;
    }
}

}  // namespace
}  // namespace zavro
