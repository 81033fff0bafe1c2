// The firmware page, the router-language page and their upload runner against the
// simulated router: two raw sockets, a worker thread, the time limit on the test clock.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "pages/UploadRunner.h"
#include "result_fixture.h"

namespace zavro {
namespace {

using test::FakeWindow;

constexpr const char* kFilter = "Binary files(*.bin)|*.bin|All files(*.*)|*.*||";
const int kFirmwarePageIds[] = {1023, 1016, 1017, 1015, 1014, 1010,
                                1009, 1012, 1011, 1008, 1003, 1004};
const int kLanguagePageIds[] = {1066, 1067, 1010, 1015, 1014, 1013,
                                1009, 1012, 1011, 1008, 1003, 1004};

template <class T>
bool Has(const std::vector<T>& list, const T& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

class FirmwarePages : public test::ResultPageTest {
protected:
    std::string WriteImage(const std::string& name, std::size_t size) {
        const auto path = env.programDir / name;
        std::filesystem::create_directories(path.parent_path());
        std::string bytes(size, '\0');
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7);
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }
    // Enabled state of the page's controls as the upload worker sees them on its first send.
    void WatchPageDuringUpload(FakeWindow& w, const int* ids, std::size_t n) {
        watchedTcp.onSend = [this, &w, ids, n] {
            std::lock_guard lock(m_watchMutex);
            if (m_seenDuringUpload) return;
            m_seenDuringUpload = true;
            m_waitCursorDuringUpload = env.ui.WaitCursorDepth() > 0;
            for (std::size_t i = 0; i < n; ++i)
                if (w.IsControlEnabled(ids[i])) m_enabledDuringUpload.push_back(ids[i]);
        };
    }
    bool SeenDuringUpload() {
        std::lock_guard lock(m_watchMutex);
        return m_seenDuringUpload;
    }
    bool WaitCursorDuringUpload() {
        std::lock_guard lock(m_watchMutex);
        return m_waitCursorDuringUpload;
    }
    std::vector<int> EnabledDuringUpload() {
        std::lock_guard lock(m_watchMutex);
        return m_enabledDuringUpload;
    }
    static std::vector<int> Disabled(FakeWindow& w, const int* ids, std::size_t n) {
        std::vector<int> out;
        for (std::size_t i = 0; i < n; ++i)
            if (!w.IsControlEnabled(ids[i])) out.push_back(ids[i]);
        return out;
    }
    bool WaitDialogShown() { return Has(env.ui.History(), std::string("CZavroWait")); }

    std::mutex m_watchMutex;
    bool m_seenDuringUpload = false;
    bool m_waitCursorDuringUpload = false;
    std::vector<int> m_enabledDuringUpload;
};

TEST_F(FirmwarePages, BrowseThenUploadOnlyAReadableFile) {
    StartRouter(8);
    FakeWindow& w = OpenPage(WM_PAGE_UPDATEFIRM);
    const std::string good = WriteImage("fw/new image.bin", 3000);
    env.ui.fileAnswers = {std::nullopt, (env.programDir / "fw" / "absent.bin").string(), good};

    ASSERT_TRUE(w.Click(1016));  // cancelled: the edit stays empty
    EXPECT_EQ(w.GetText(1023), "");
    ASSERT_TRUE(w.Click(1017));
    ASSERT_TRUE(w.Click(1016));  // a file that cannot be opened
    ASSERT_TRUE(w.Click(1017));
    EXPECT_TRUE(Keys().empty());
    EXPECT_EQ(watchedTcp.Created(), 0);  // no connection for either

    ASSERT_TRUE(w.Click(1016));
    EXPECT_EQ(w.GetText(1023), good);
    ASSERT_TRUE(w.Click(1017));
    EXPECT_EQ(env.ui.fileFilters, std::vector<std::string>(3, kFilter));
    const routersim::State state = sim->GetState();
    EXPECT_EQ(state.firmwareUploads, 1);
    EXPECT_EQ(state.firmwareBytes, 3000u);
    EXPECT_EQ(state.firmwareName, good);
    EXPECT_EQ(Targets(), std::vector<std::string>{"POST /goform/formUpload"});
    EXPECT_TRUE(Keys().empty());
    EXPECT_TRUE(WaitDialogShown());
    EXPECT_EQ(theApp.m_pszRebootKey, kRebootKeyLanguage);
    EXPECT_EQ(TopTitle(), "CZavroUpdateFirM");  // the page stays open
    EXPECT_TRUE(Sent().empty());
}

TEST_F(FirmwarePages, UploadDisablesThePageAndTheWaitDialogSendsTheLanguage) {
    StartRouter(8);
    theApp.SetLanguage(2);
    env.profile.echoKeys = true;
    FakeWindow& w = OpenPage(WM_PAGE_UPDATEFIRM);
    ASSERT_TRUE(w.Type(1023, WriteImage("image.dat", 70000)));  // any file, any name
    WatchPageDuringUpload(w, kFirmwarePageIds, std::size(kFirmwarePageIds));
    const std::uint64_t start = env.clock.NowMs();
    bool ran = false;
    env.ui.onModal = [&](FakeWindow& box) {
        ran = true;
        // The worker paused 10 s after the transfer; the page is usable again.
        const std::uint64_t took = env.clock.NowMs() - start;
        EXPECT_GE(took, kUploadSettleMs);
        EXPECT_LT(took, kUploadLimitMs);
        EXPECT_TRUE(Disabled(w, kFirmwarePageIds, std::size(kFirmwarePageIds)).empty());
        EXPECT_EQ(sim->GetState().firmwareUploads, 1);
        EXPECT_EQ(box.GetText(1061), "Firm_Reboot");
        EXPECT_EQ(box.Timers(), (std::map<int, unsigned>{{11, 50000}, {33, 1000}}));
        env.clock.Advance(50000);
        EXPECT_EQ(sim->GetState().webLanguage, 256);
        EXPECT_EQ(box.Timers(), (std::map<int, unsigned>{{22, 45000}, {33, 1000}}));
        env.clock.Advance(45000);
        EXPECT_EQ(box.GetText(1060), "Reboot_Complete");
        EXPECT_TRUE(box.Click(1060));
    };
    ASSERT_TRUE(w.Click(1017));
    ASSERT_TRUE(ran);
    ASSERT_TRUE(SeenDuringUpload());
    // Only Exit and back-to-menu stay usable while the upload runs.
    EXPECT_EQ(EnabledDuringUpload(), (std::vector<int>{1009, 1008}));
    EXPECT_TRUE(WaitCursorDuringUpload());
    EXPECT_EQ(env.ui.WaitCursorDepth(), 0);
    const auto sleeps = env.clock.Sleeps();
    EXPECT_TRUE(Has(sleeps, kUploadLimitMs));
    EXPECT_TRUE(Has(sleeps, kUploadSettleMs));
    // No restart request: the router restarts by itself after an image.
    EXPECT_EQ(Targets(), (std::vector<std::string>{"POST /goform/formUpload", "GET /index.asp",
                                                   "POST /goform/formWriteLanguage"}));
    EXPECT_EQ(sim->GetState().reboots, 0);
    EXPECT_TRUE(Keys().empty());
    EXPECT_EQ(watchedTcp.Created(), 2);
    const auto events = watchedTcp.Events();
    EXPECT_EQ(std::count(events.begin(), events.end(), "free"), 2);
    EXPECT_EQ(TopTitle(), "CZavroUpdateFirM");
}

TEST_F(FirmwarePages, HangingUploadIsCancelledAtTheLimitAndThePageWorksAgain) {
    StartRouter(8);
    env.clock.quietRealMs = 2000;  // real time the transfer gets before only the limit is left
    routersim::Fault hang;
    hang.kind = routersim::FaultKind::NoAnswer;
    hang.count = 1;
    sim->SetFault(hang);
    FakeWindow& w = OpenPage(WM_PAGE_UPDATEFIRM);
    ASSERT_TRUE(w.Type(1023, WriteImage("fw.bin", 5000)));
    WatchPageDuringUpload(w, kFirmwarePageIds, std::size(kFirmwarePageIds));
    const std::uint64_t start = env.clock.NowMs();
    ASSERT_TRUE(w.Click(1017));

    EXPECT_GE(env.clock.NowMs() - start, kUploadLimitMs);
    EXPECT_EQ(Keys(), std::vector<std::string>{"Firm_Update_Failed"});
    EXPECT_FALSE(WaitDialogShown());
    EXPECT_FALSE(Has(env.clock.Sleeps(), kUploadSettleMs));
    // Only Exit and back-to-menu stay usable while the upload runs.
    EXPECT_EQ(EnabledDuringUpload(), (std::vector<int>{1009, 1008}));
    EXPECT_TRUE(Disabled(w, kFirmwarePageIds, std::size(kFirmwarePageIds)).empty());
    ASSERT_TRUE(sim->WaitForRequests(1));
    EXPECT_EQ(sim->Requests()[0].target, "/goform/formUpload");
    EXPECT_EQ(sim->GetState().firmwareUploads, 0);

    // The blocked receive was cancelled and ended before either socket was freed.
    const auto events = watchedTcp.Events();
    const auto cancel = std::find(events.begin(), events.end(), "cancel");
    const auto ended = std::find(events.begin(), events.end(), "receive failed");
    const auto freed = std::find(events.begin(), events.end(), "free");
    ASSERT_NE(cancel, events.end());
    ASSERT_NE(ended, events.end());
    ASSERT_NE(freed, events.end());
    EXPECT_LT(cancel, ended);
    EXPECT_LT(ended, freed);
    EXPECT_EQ(std::count(events.begin(), events.end(), "free"), 2);
    EXPECT_EQ(watchedTcp.FreedWhileBusy(), 0);

    // The fault is spent: the same page uploads now.
    env.ui.ClearMessages();
    ASSERT_TRUE(w.Click(1017));
    EXPECT_TRUE(Keys().empty());
    EXPECT_TRUE(WaitDialogShown());
    EXPECT_EQ(sim->GetState().firmwareUploads, 1);
}

TEST_F(FirmwarePages, EveryFailureGivesFirmUpdateFailed) {
    StartRouter(8);
    FakeWindow& w = OpenPage(WM_PAGE_UPDATEFIRM);
    ASSERT_TRUE(w.Type(1023, WriteImage("fw.bin", 100)));
    struct Case {
        const char* what;
        std::function<void()> arrange;
    };
    const Case cases[] = {
        {"closed without an answer",
         [&] {
             routersim::Fault f;
             f.kind = routersim::FaultKind::CloseWithoutAnswer;
             f.count = 1;
             sim->SetFault(f);
         }},
        {"error status",
         [&] {
             routersim::Fault f;
             f.kind = routersim::FaultKind::Status;
             f.status = 500;
             f.count = 1;
             sim->SetFault(f);
         }},
        {"wrong password", [&] { theApp.m_strPassword = "not-the-password"; }},
        {"router down", [&] { sim->Stop(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        env.ui.ClearMessages();
        c.arrange();
        ASSERT_TRUE(w.Click(1017));
        EXPECT_EQ(Keys(), std::vector<std::string>{"Firm_Update_Failed"});
        EXPECT_TRUE(Disabled(w, kFirmwarePageIds, std::size(kFirmwarePageIds)).empty());
        EXPECT_EQ(theApp.m_pszRebootKey, nullptr);
    }
    EXPECT_FALSE(WaitDialogShown());
    EXPECT_EQ(sim->GetState().firmwareUploads, 0);
    EXPECT_EQ(watchedTcp.FreedWhileBusy(), 0);
}

TEST_F(FirmwarePages, PathThatCannotBeOpenedSendsNothingAndSaysWhyOnlyWithTheKey) {
    // A folder opens as a stream here, yet it is no file. Nothing connects for any of
    // them; a medium with "why_no_file" says why in a box, one without it stays silent.
    StartRouter(8);
    const std::string absent = (env.programDir / "absent.bin").string();
    for (const bool withKey : {false, true}) {
        env.profile.echoWhyKeys = withKey;
        for (const std::string& path : {std::string(), absent, env.programDir.string()}) {
            SCOPED_TRACE(path + (withKey ? " with the key" : " without the key"));
            FakeWindow& w = OpenPage(WM_PAGE_UPDATEFIRM);
            ASSERT_TRUE(w.Type(1023, path));
            ASSERT_TRUE(w.Click(1017));
            EXPECT_EQ(Keys(), withKey ? std::vector<std::string>{"why_no_file"}
                                      : std::vector<std::string>{});
            EXPECT_TRUE(Disabled(w, kFirmwarePageIds, std::size(kFirmwarePageIds)).empty());
            EXPECT_EQ(TopTitle(), "CZavroUpdateFirM");
            env.ui.ClearMessages();
        }
    }
    env.profile.echoWhyKeys = false;
    EXPECT_EQ(watchedTcp.Created(), 0);
    EXPECT_TRUE(sim->Requests().empty());

    // The language page's shipped image as a folder.
    std::filesystem::create_directories(env.programDir / "Firmware" / "Firmware.bin");
    FakeWindow& language = OpenPage(WM_PAGE_SETLANGUAGE);
    ASSERT_TRUE(language.Click(1066));
    EXPECT_TRUE(Keys().empty());
    EXPECT_TRUE(Disabled(language, kLanguagePageIds, std::size(kLanguagePageIds)).empty());
    EXPECT_EQ(watchedTcp.Created(), 0);
    EXPECT_TRUE(sim->Requests().empty());
}

TEST_F(FirmwarePages, OtherModelsRefuseEveryImageBeforeConnecting) {
    StartRouter(8);
    const std::string images[] = {WriteImage("fw.bin", 10), WriteImage("fw.img", 10)};
    std::filesystem::create_directories(env.programDir / "Firmware");
    std::filesystem::copy_file(images[0], env.programDir / "Firmware" / "Firmware.bin");
    for (int model = 1; model <= 7; ++model) {
        SCOPED_TRACE(model);
        theApp.SetModel(model);
        for (const std::string& image : images) {
            FakeWindow& w = OpenPage(WM_PAGE_UPDATEFIRM);
            ASSERT_TRUE(w.Type(1023, image));
            env.ui.ClearMessages();
            ASSERT_TRUE(w.Click(1017));
            EXPECT_EQ(Keys(), std::vector<std::string>{"Firm_Format_Worng"}) << image;
        }
        FakeWindow& l = OpenPage(WM_PAGE_SETLANGUAGE);
        env.ui.ClearMessages();
        ASSERT_TRUE(l.Click(1066));
        EXPECT_EQ(Keys(), std::vector<std::string>{"Firm_Format_Worng"});
        EXPECT_TRUE(Disabled(l, kLanguagePageIds, std::size(kLanguagePageIds)).empty());
    }
    EXPECT_EQ(watchedTcp.Created(), 0);
    EXPECT_TRUE(sim->Requests().empty());
}

TEST_F(FirmwarePages, RunnerUploadsToTheQueryFamilyOverBothSockets) {
    StartRouter(2);
    UploadJob job;
    job.path = "/media/setup/Firmware/run image.bin";
    job.password = theApp.m_strPassword;
    job.model = 2;
    std::istringstream file(std::string(9000, 'F'));
    const std::uint64_t start = env.clock.NowMs();
    EXPECT_EQ(RunUpload(job, file), 1);
    EXPECT_GE(env.clock.NowMs() - start, kUploadSettleMs);
    EXPECT_EQ(Targets(),
              (std::vector<std::string>{"POST /goform/asp_upload", "POST /goform/asp_updateFW"}));
    const routersim::State state = sim->GetState();
    EXPECT_EQ(state.firmwareUploads, 1);
    EXPECT_EQ(state.firmwareBytes, 9000u);
    EXPECT_EQ(state.firmwareName, job.path);
    EXPECT_EQ(watchedTcp.Created(), 2);
    EXPECT_EQ(watchedTcp.FreedWhileBusy(), 0);

    // No answer to the first request: the second is never sent.
    sim->ClearRequests();
    routersim::Fault f;
    f.kind = routersim::FaultKind::CloseWithoutAnswer;
    f.count = 1;
    sim->SetFault(f);
    std::istringstream again(std::string(100, 'F'));
    EXPECT_EQ(RunUpload(job, again), 0);
    EXPECT_EQ(Targets(), std::vector<std::string>{"POST /goform/asp_upload"});
    EXPECT_EQ(sim->GetState().firmwareUploads, 1);
}

TEST_F(FirmwarePages, LanguagePageUploadsTheShippedImageThenTheResultPageSendsTheLanguage) {
    AddPicture(2, "18.jpg", test::kFinalColour);
    StartRouter(8);
    theApp.SetLanguage(2);
    const std::string image = WriteImage("Firmware/Firmware.bin", 4096);
    // An image of another size in the working folder must not be the one taken.
    WriteImage("elsewhere/Firmware/Firmware.bin", 10);
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(env.programDir / "elsewhere");
    FakeWindow& page = OpenPage(WM_PAGE_SETLANGUAGE);
    ASSERT_EQ(page.Title(), "CZavroSetLanguage");
    WatchPageDuringUpload(page, kLanguagePageIds, std::size(kLanguagePageIds));
    const bool clicked = page.Click(1066);
    std::filesystem::current_path(cwd);
    ASSERT_TRUE(clicked);

    // Only Exit and back-to-menu stay usable while the upload runs.
    EXPECT_EQ(EnabledDuringUpload(), (std::vector<int>{1009, 1008}));
    EXPECT_TRUE(WaitCursorDuringUpload());
    EXPECT_EQ(sim->GetState().firmwareName, image);  // beside the program
    EXPECT_EQ(sim->GetState().firmwareBytes, 4096u);
    EXPECT_EQ(Sent(), std::vector<unsigned>{WM_PAGE_SUCCESS});
    EXPECT_EQ(theApp.m_pszRebootKey, kRebootKeyLanguage);
    EXPECT_FALSE(page.Destroyed());
    EXPECT_TRUE(Disabled(page, kLanguagePageIds, std::size(kLanguagePageIds)).empty());
    ASSERT_EQ(TopTitle(), "CZavroSuccess");
    FakeWindow& result = *env.ui.Top();
    EXPECT_EQ(result.Timers(), (std::map<int, unsigned>{{11, 50000}}));

    env.clock.Advance(50000);
    EXPECT_EQ(sim->GetState().webLanguage, 256);
    ASSERT_TRUE(WorkerSleeping());
    env.clock.Advance(45000);
    ASSERT_TRUE(PumpUntil([] { return theApp.m_bResultImage == 1; }));
    EXPECT_EQ(Colour(result), test::kFinalColour);
    EXPECT_EQ(Targets(), (std::vector<std::string>{"POST /goform/formUpload", "GET /index.asp",
                                                   "POST /goform/formWriteLanguage"}));
    EXPECT_TRUE(Keys().empty());
}

TEST_F(FirmwarePages, LanguagePageFailedUploadAndSkip) {
    StartRouter(8);
    WriteImage("Firmware/Firmware.bin", 10);
    routersim::Fault f;
    f.kind = routersim::FaultKind::CloseWithoutAnswer;
    f.count = 1;
    sim->SetFault(f);
    FakeWindow& page = OpenPage(WM_PAGE_SETLANGUAGE);
    ASSERT_TRUE(page.Click(1066));
    EXPECT_EQ(Keys(), std::vector<std::string>{"Firm_Update_Failed"});
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(theApp.m_pszRebootKey, nullptr);
    EXPECT_TRUE(Disabled(page, kLanguagePageIds, std::size(kLanguagePageIds)).empty());

    const auto postBox = page.Poster();
    ASSERT_TRUE(page.Click(1067));  // skip: the result page, no upload, no key
    EXPECT_TRUE(Closed(postBox));
    EXPECT_EQ(Sent(), std::vector<unsigned>{WM_PAGE_SUCCESS});
    EXPECT_EQ(TopTitle(), "CZavroSuccess");
    EXPECT_EQ(theApp.m_pszRebootKey, nullptr);
    EXPECT_EQ(sim->GetState().firmwareUploads, 0);
}

}  // namespace
}  // namespace zavro
