// The hidden hub: the program's main window and the only place that knows every page.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/Messages.h"
#include "platform/Image.h"

namespace zavro {

class CPage;

class CZavroDlg : public IMessageTarget {
public:
    CZavroDlg();
    ~CZavroDlg() override;

    // Initialises (opens the first page) and runs the event loop until it ends.
    int DoModal();
    // Records the hub in theApp and opens the wizard start page.
    bool OnInitDialog();
    long OnMessage(unsigned message) override;

    // A page that closed itself; it is freed once the current event has been handled.
    void ReleasePage(CPage* page);
    // Pages alive (not yet freed), for tests.
    std::size_t PageCount() const { return m_pages.size(); }
    CPage* NewestPage() const { return m_pages.empty() ? nullptr : m_pages.back().get(); }

    int m_nLanguage;
    const Image& m_hIcon;

private:
    template <class T>
    long OpenPage();
    void FreeReleasedPages();

    std::map<unsigned, std::function<long()>> m_handlers;
    // Ownership only: the hub never talks to a page through this list.
    std::vector<std::unique_ptr<CPage>> m_pages;
    std::vector<CPage*> m_released;
    bool m_bFreeScheduled = false;
    // Deferred work checks this, in case the hub went first.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

}  // namespace zavro
