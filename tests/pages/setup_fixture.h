// Fixture of the setup page tests: the test platform with every page picture, message
// boxes that show their keys, the router double, a fixed adapter and a registry.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/Workers.h"
#include "app/ZavroApp.h"
#include "app/ZavroDlg.h"
#include "page_test_support.h"
#include "setup_router_double.h"
#include "support/MemoryRegistry.h"
#include "support/TestEnv.h"

namespace zavro::test {

class SetupPages : public ::testing::Test {
protected:
    void SetUp() override {
        env.profile.echoKeys = true;
        env.AddAllPictures();
        Ports().http = &router;
        Ports().adapters = &adapters;
        Ports().registry = &registry;
        // The hub without its first page: each test opens the page it is about.
        hub = std::make_unique<CZavroDlg>();
        recorder = std::make_unique<HubRecorder>(*hub);
        theApp.m_hHubWnd = recorder.get();
    }
    void TearDown() override {
        StopAllWorkers();  // the result page's waits
        env.ui.RunPending();
        theApp.m_hHubWnd = nullptr;
    }

    // Opens a page the way its predecessor would, after theApp was set up for it.
    FakeWindow& Open(unsigned message) {
        env.ui.ClearMessages();
        hub->OnMessage(message);
        env.ui.RunPending();
        recorder->sent.clear();
        return Top();
    }
    // Page-open messages sent since the page was opened.
    const std::vector<unsigned>& Sent() const { return recorder->sent; }
    // The page in front; a test without one fails here.
    FakeWindow& Top() {
        FakeWindow* w = env.ui.Top();
        if (w == nullptr) throw std::runtime_error("no page is shown");
        return *w;
    }
    std::string TopTitle() {
        FakeWindow* w = env.ui.Top();
        return w ? w->Title() : "";
    }
    std::vector<std::string> Messages() { return env.ui.MessageTexts(); }
    // Titles of the windows made after the first n.
    std::vector<std::string> OpenedSince(std::size_t n) {
        const auto& h = env.ui.History();
        return {h.begin() + static_cast<long>(std::min(n, h.size())), h.end()};
    }

    TestEnv env;
    SetupRouter router;
    FixedAdapters adapters;
    MemoryRegistry registry;
    std::unique_ptr<CZavroDlg> hub;
    std::unique_ptr<HubRecorder> recorder;
};

}  // namespace zavro::test
