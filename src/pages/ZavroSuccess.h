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
    // Finish (1013) ends the program as well.
    bool EndsProgram(int controlId) override {
        return controlId == 1013 || CPage::EndsProgram(controlId);
    }

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

class DiagnosisCancel;

class CZavroFailed : public CPage {
public:
    explicit CZavroFailed(CZavroDlg* parent);
    ~CZavroFailed() override;

    // Where the diagnosis text goes; the demo pictures leave it plain.
    static constexpr Rect kRectDiagnosis{107, 330, 586, 100};
    static constexpr int kDiagnosis = 1062;
    // Each of the diagnosis' two exchanges gets this long to connect and to answer, so
    // the finding is there within 10 seconds.
    static constexpr std::uint32_t kDiagnosisStepMs = 2400;

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    void OnMessage(unsigned message) override;
    void OnClosing() override;

private:
    // Off the UI thread; only when the medium has a text for at least one finding.
    void StartDiagnosis();

    // The diagnosis belongs to the page: leaving the page (or ending the program) stops it.
    std::shared_ptr<DiagnosisCancel> m_diagnosis;
};

}  // namespace zavro
