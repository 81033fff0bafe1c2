// Manual list and model list pages.
#include <gtest/gtest.h>

#include "app/ZavroApp.h"
#include "app/ZavroDlg.h"
#include "support/TestEnv.h"

namespace zavro {
namespace {

class DocumentPages : public ::testing::Test {
protected:
    void SetUp() override {
        env.profile.echoKeys = true;
        for (const char* n : {"03.jpg", "07.jpg", "20.jpg"}) env.AddPicture(1, n);
        hub.OnInitDialog();
    }
    test::FakeWindow& Top() { return *env.ui.Top(); }
    test::TestEnv env;
    CZavroDlg hub;
};

TEST_F(DocumentPages, ManualMessageWithoutAModelOpensTheListPage) {
    SendMessage(theApp.m_hHubWnd, WM_PAGE_MANUAL);
    test::FakeWindow& list = Top();
    ASSERT_EQ(list.Title(), "CZavroManual");
    EXPECT_EQ(list.ControlRect(1022), (Rect{280, 292, 103, 30}));
    EXPECT_EQ(list.ControlRect(1023), (Rect{406, 292, 113, 30}));
    for (int id = 1013; id <= 1021; ++id) EXPECT_FALSE(list.IsControlVisible(id)) << id;
    EXPECT_FALSE(list.IsControlEnabled(1021));
    // Hidden buttons keep their template rectangles.
    EXPECT_NE(list.ControlRect(1013), (Rect{}));
    EXPECT_EQ(list.CursorOver(1022), CursorShape::Arrow);
    EXPECT_EQ(list.CursorOver(1012), CursorShape::Hand);
}

TEST_F(DocumentPages, ListPageOpensManualsOfTheCurrentLanguage) {
    SendMessage(theApp.m_hHubWnd, WM_PAGE_MANUAL);
    theApp.SetLanguage(3);  // differs from the hub's language
    ASSERT_TRUE(Top().Click(1022));
    ASSERT_TRUE(Top().Click(1023));
    const auto calls = env.shell.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].file, "QX-3150n_Manual.pdf");
    EXPECT_EQ(calls[1].file, "QX-3150nS_Manual.pdf");
    EXPECT_EQ(calls[0].folder, env.programDir.string() + "/Manual/3");
    EXPECT_EQ(Top().Title(), "CZavroManual");
    env.shell.executeResult = 31;
    ASSERT_TRUE(Top().Click(1022));
    EXPECT_EQ(env.ui.MessageTexts(), std::vector<std::string>{"Adobe_Reader"});
}

TEST_F(DocumentPages, ListPageManualHotspotOpensAnotherListUntilAModelIsChosen) {
    SendMessage(theApp.m_hHubWnd, WM_PAGE_MANUAL);
    test::FakeWindow* first = &Top();
    ASSERT_TRUE(first->Click(1011));
    EXPECT_NE(&Top(), first);  // a further list page; the first stays open
    EXPECT_FALSE(first->Destroyed());
    EXPECT_EQ(Top().Title(), "CZavroManual");
    theApp.SetModelChosen(TRUE);
    theApp.m_nModelVariant = 3;
    const auto windows = env.ui.History().size();
    ASSERT_TRUE(Top().Click(1011));
    EXPECT_EQ(env.ui.History().size(), windows);
    EXPECT_EQ(env.shell.Calls().back().file, "QX-3150nS_Manual.pdf");
}

TEST_F(DocumentPages, ModelListSecondRowChoosesVariantThree) {
    SendMessage(theApp.m_hHubWnd, WM_PAGE_MACHINESET);
    test::FakeWindow& list = Top();
    ASSERT_EQ(list.Title(), "CZavroMachineSet");
    for (int id : {1010, 1011, 1012}) EXPECT_FALSE(list.IsControlEnabled(id)) << id;
    EXPECT_FALSE(list.Click(1011));  // disabled
    EXPECT_EQ(list.CursorOver(1062), CursorShape::Arrow);
    EXPECT_EQ(list.CursorOver(1019), CursorShape::Hand);
    EXPECT_EQ(list.ControlRect(1065), (Rect{406, 292, 113, 30}));
    ASSERT_TRUE(list.Click(1065));
    EXPECT_EQ(theApp.GetModel(), 8);
    EXPECT_EQ(theApp.m_nModelVariant, 3);
    EXPECT_EQ(theApp.GetModelChosen(), TRUE);
    EXPECT_EQ(Top().Title(), "CZavroWizard");
}

TEST_F(DocumentPages, ModelListFirstRowStartsTheOtherWizardAndEnds) {
    SendMessage(theApp.m_hHubWnd, WM_PAGE_MACHINESET);
    env.shell.executeResult = 2;  // ends whether or not the start worked
    ASSERT_TRUE(Top().Click(1062));
    EXPECT_EQ(theApp.m_nModelVariant, 2);
    const auto calls = env.shell.Calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].file, env.root.string() + "/QX3150N/zavro");
    EXPECT_EQ(calls[0].parameters, "/1");
    EXPECT_EQ(calls[0].folder, "");
    EXPECT_EQ(env.system.Exits(), std::vector<int>{1});
    EXPECT_TRUE(env.ui.Messages().empty());
}

}  // namespace
}  // namespace zavro
