// Locking: by the lock image, after the idle time, and closing the popup
// a minute after it opened.
#include "vault_window.h"

#include "shell/clock.h"
#include "shell/single_instance.h"
#include "store/profile.h"
#include "store/profile_manager.h"
#include "ui/common/secret_clipboard.h"
#include "ui/common/session_state.h"
#include "ui/desktop/flat_button.h"
#include "ui/desktop/image_button.h"
#include "ui/popup/record_popup.h"
#include "ui/setup/setup_window.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <limits>

namespace tavrino {

void VaultWindow::LockVault() {
    // Nothing of the profile stays in sight: the popup and setup close
    // (setup's unsaved changes dropped, as record edits are), and what we
    // put on the clipboard is taken back.
    if (m_popup) m_popup->close();
    if (m_setup && m_setup->isVisible()) m_setup->reject();
    m_clipboard->clear();
    tmrLock->stop();
    m_s.session.LoginOK = false;
    m_s.profile.Security.LoginMode = 0;
    lblLoggedIn->setText(QString());
    SetDirty(false);
    // A record half made before the lock is gone with the lock.
    lblNewUser->hide();
    CurrentRecordKey.clear();
    for (QLineEdit* box : {txtAns[0], txtAns[1], txtAns[2], txtpass, txtPin})
        box->clear();
    fraDetail->hide();
    fraTV->hide();
    fraLogin->show();
    fraMenu->show();
    fraPassTool->hide();
    imgLock->setEnabled(false);
    fraTools->show();
    fraRecord->hide();
    UCNewBtn->hide();
    UCLoginBtn->show();
    UCQuestBtn->show();
    UCSetupBtn->hide();
    lblLogo->show();
    lblVersion->hide();
    cmdAlpha->hide();

    ListProfiles();
}

void VaultWindow::lockIfLoggedIn() {
    if (m_s.session.LoginOK) LockVault();
}

void VaultWindow::imgLock_Click() {
    BusyPointer();
    LockVault();
    NormalPointer();
    if (txtpass->isVisible()) txtpass->setFocus();
    if (txtUser->isVisible()) txtUser->setFocus();
    if (txtPin->isVisible()) txtPin->setFocus();
}

void VaultWindow::tmrLock_Timer() {
    // Auto-lock switched off: never a lock, whatever started the timer.
    if (m_s.session.AutoLockMinutes <= 0 || !m_s.session.LoginOK) {
        tmrLock->stop();
        return;
    }
    const QDateTime now = m_s.clock.now();
    // No activity recorded yet counts as idle since the beginning of time.
    const qint64 elapsed = m_s.session.LastActivity.isValid() ? m_s.session.LastActivity.secsTo(now)
                                                              : std::numeric_limits<qint64>::max();
    const qint64 limit =
        static_cast<qint64>(static_cast<std::int32_t>(m_s.session.AutoLockMinutes * 60));
    if (elapsed >= limit) {
        LockVault();
        tmrLock->stop();
    }
}

void VaultWindow::tmrPass_Timer() {
    if (m_popup && m_popup->isVisible()) m_popup->cmdClose_Click();
    tmrPass->stop();
}

} // namespace tavrino
