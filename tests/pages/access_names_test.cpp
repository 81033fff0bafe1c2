// A medium without screen-reader texts: every page still has a name, and every control
// that takes the focus a name of its own from the built-in English table.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/Messages.h"
#include "wan_test_support.h"

namespace zavro {
namespace {

class AccessNames : public test::WanPageTest {};

TEST_F(AccessNames, EveryPageNamesEveryControlWithoutMediumTexts) {
    env.profile.echoKeys = false;  // the medium has no ACCESS section
    const unsigned pages[] = {
        WM_PAGE_WELCOME,     WM_PAGE_WIZARD,      WM_PAGE_CONTACT,    WM_PAGE_ARQX,
        WM_PAGE_QXSET,       WM_PAGE_MANUAL,      WM_PAGE_MACHINESET, WM_PAGE_SETPWD,
        WM_PAGE_CONNECTMODE, WM_PAGE_CABLEMODEM,  WM_PAGE_FIXIP,      WM_PAGE_PPPOE,
        WM_PAGE_PPTP,        WM_PAGE_PPTP2,       WM_PAGE_L2TP,       WM_PAGE_L2TP2,
        WM_PAGE_TELSTRA,     WM_PAGE_ESSID,       WM_PAGE_SETWPA,     WM_PAGE_WPACONFIGURE,
        WM_PAGE_UPDATEFIRM,  WM_PAGE_SETLANGUAGE, WM_PAGE_FAILED,     WM_PAGE_SUCCESS,
    };
    std::set<std::string> seen;
    for (const unsigned message : pages) {
        test::FakeWindow& w = Open(message);
        SCOPED_TRACE(w.Title());
        seen.insert(w.Title());
        EXPECT_FALSE(w.AccessName().empty());
        EXPECT_NE(w.AccessName(), "Zavro");  // a title of its own
        EXPECT_FALSE(w.TabOrder().empty());
        EXPECT_NE(w.Focus(), 0);
        std::set<std::string> names;
        for (const int id : w.TabOrder()) {
            const std::string& name = w.Control(id)->accessName;
            EXPECT_FALSE(name.empty()) << id;
            // What a screen reader can meet (a hidden control it never does) has a name
            // of its own, and no two read alike.
            if (!w.IsControlVisible(id)) continue;
            EXPECT_NE(name.rfind("Button ", 0), 0u) << id << " has no name of its own";
            EXPECT_TRUE(names.insert(name).second) << name;
        }
    }
    EXPECT_EQ(seen.size(), std::size(pages));
}

}  // namespace
}  // namespace zavro
