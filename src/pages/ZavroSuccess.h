// Result page: waits for the router to restart, checks the Internet, then turns into the
// completion page or hands over to the failure page.
#pragma once

#include <memory>
#include <string>

#include "ui/Page.h"
#include "ui/PictureEx.h"

namespace zavro {

class CZavroSuccess : public CPage {
public:
    explicit CZavroSuccess(CZavroDlg* parent);
    ~CZavroSuccess() override;

    CPictureEx& Animation() { return m_animation; }

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    void OnTimerEvent(int timerId) override;
    void OnMessage(unsigned message) override;
    void BeforePaint() override;
    void OnClosing() override;

private:
    // The waits run on a worker; it only posts the outcome to this page's window.
    void StartWaitingWorker(bool afterLanguage);

    CPictureEx m_animation;
    std::string m_strFinalPicture;  // the final picture now shown
};

class CZavroFailed : public CPage {
public:
    explicit CZavroFailed(CZavroDlg* parent);

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
};

}  // namespace zavro
