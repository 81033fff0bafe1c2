// Admin password: learns the router's current password and, if asked, changes it.
#pragma once

#include <string>

#include "pages/SetupPageCommon.h"

namespace zavro {

class CZavroSetPwd : public CSetupPage {
public:
    explicit CZavroSetPwd(CZavroDlg* parent);

protected:
    void OnInitDialog() override;
    void OnCommand(int id) override;
    void OnNotify(int id, Notify code) override;

private:
    enum class Change { Failed, Done };
    // TestLogin with the typed (or default) password; on success both theApp passwords
    // take it. On failure the focus goes back to 1020 and the message is shown.
    bool CheckPassword(const std::string& password);
    bool CheckCurrentPassword();
    // Apply steps 1 and 2: the current password, then the two new fields. Fills newPassword.
    bool CheckBeforeChange(std::string& newPassword);
    // Sends the new password; on success the page has closed and the hub has been asked
    // for the connection-type page.
    Change ChangePassword(const std::string& newPassword);
    void OnApply();
    void OnTab(unsigned message);
    void OnKeepDefault();
};

}  // namespace zavro
