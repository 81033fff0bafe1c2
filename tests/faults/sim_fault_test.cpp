// The simulator's fault texts (its --fault option) and which requests a fault hits.
#include <gtest/gtest.h>

#include <string>

#include "RouterSim.h"

namespace {

using routersim::Fault;
using routersim::FaultKind;

TEST(SimFaultText, KindsNumbersAndPaths) {
    struct Case {
        const char* text;
        bool ok;
        FaultKind kind;
        int status, count;
        const char* path;
    };
    const Case cases[] = {
        {"stall", true, FaultKind::Stall, 500, -1, ""},
        {"stall:2", true, FaultKind::Stall, 500, 2, ""},
        {"status:401:3@/goform/", true, FaultKind::Status, 401, 3, "/goform/"},
        {"reset@!/index.asp", true, FaultKind::ResetMidTransfer, 500, -1, "!/index.asp"},
        {"no-answer:1@/wlbasic.asp", true, FaultKind::NoAnswer, 500, 1, "/wlbasic.asp"},
        {"close@", false, FaultKind::None, 0, 0, ""},
        {"stall:x", false, FaultKind::None, 0, 0, ""},
        {"hang", false, FaultKind::None, 0, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Fault f;
        ASSERT_EQ(routersim::ParseFault(c.text, f), c.ok);
        if (!c.ok) continue;
        EXPECT_EQ(f.kind, c.kind);
        EXPECT_EQ(f.status, c.status);
        EXPECT_EQ(f.count, c.count);
        EXPECT_EQ(f.path, c.path);
    }
}

TEST(SimFaultText, PathPrefixAndItsNegation) {
    Fault all, only, others;
    only.path = "/goform/form";
    others.path = "!/index.asp";
    for (const char* p : {"/index.asp", "/goform/formPPPoESetup", "/wlbasic.asp", "/"}) {
        SCOPED_TRACE(p);
        const std::string path = p;
        EXPECT_TRUE(all.Applies(path));
        EXPECT_EQ(only.Applies(path), path.rfind("/goform/form", 0) == 0);
        EXPECT_EQ(others.Applies(path), path != "/index.asp");
    }
}

}  // namespace
