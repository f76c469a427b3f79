// The login panel: choosing a profile, the credentials of its login mode,
// and the secret questions for a forgotten password.
#include "vault_window.h"

#include "shell/message_service.h"
#include "shell/settings_store.h"
#include "shell/single_instance.h"
#include "store/login_check.h"
#include "store/profile.h"
#include "store/profile_manager.h"
#include "store/profile_store.h"
#include "ui/common/session_state.h"
#include "ui/desktop/flat_button.h"
#include "ui/desktop/image_button.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace tavrino {

void VaultWindow::cboProfile_Click() {
    m_s.store.releaseHeld();
    m_readFailed = false;
    const bool opened = m_s.profiles.OpenProfile(cboProfile->currentText());
    if (opened && !m_readFailed) {
        ShowLoginFields();
        return;
    }
    m_s.messages.show(QStringLiteral("Problem with Profile!"), QStringLiteral("Tavrino"),
                      MsgIcon::Critical);
    markProfileUnusable();
}

void VaultWindow::markProfileUnusable() {
    // Nothing of a profile that did not read completely may be logged into
    // or saved over: forget it, as if none were open.
    Profile& p = m_s.profile;
    p.Security.LoginMode = 0;
    p.Categories.clear();
    p.Records.clear();
    p.Security.Questions.clear();
    p.ProfileLoaded = false;
    m_s.store.releaseHeld();
    emit profileUnusable();
}

void VaultWindow::ShowLoginFields() {
    txtpass->clear();
    txtUser->clear();
    txtPin->clear();
    const int mode = m_s.profile.Security.LoginMode;
    txtUser->setVisible(mode > 1);
    lblUser->setVisible(mode > 1);
    txtpass->setVisible(mode > 0);
    lblPassword->setVisible(mode > 0);
    txtPin->setVisible(mode > 2);
    lblPin->setVisible(mode > 2);
    UCQuestBtn->setVisible(mode > 0);
    ClearLoginFields();
}

void VaultWindow::ClearLoginFields() {
    for (QLineEdit* e : {txtpass, txtPin, txtUser, txtAns[0], txtAns[1], txtAns[2]})
        e->clear();
}

void VaultWindow::CheckLogin() {
    m_s.session.LoginOK = false;
    m_s.session.LoginOK =
        tavrino::CheckLogin(m_s.profile.Security, txtUser->text(), txtpass->text(), txtPin->text());
}

void VaultWindow::ShowSecretQuestions() {
    for (int k = 0; k < 3; ++k) {
        lblQ1[k]->hide();
        txtAns[k]->hide();
    }
    const QuestionList& questions = m_s.profile.Security.Questions;
    for (int k = 0; k < questions.count() && k < 3; ++k) {
        lblQ1[k]->setText(questions.item(k + 1).section(QLatin1Char('|'), 1, 1) +
                          QStringLiteral(" ?"));
        lblQ1[k]->show();
        txtAns[k]->show();
    }
    txtAns[0]->setFocus();
}

void VaultWindow::CheckSecretAnswers() {
    QStringList typed;
    for (QLineEdit* e : txtAns)
        typed << e->text();
    m_s.session.LoginOK = tavrino::CheckSecretAnswers(m_s.profile.Security, typed);
}

void VaultWindow::UCQuestBtn_Click() {
    if (m_s.profile.Security.Questions.count() >= 1) ShowSecretQuestions();
}

void VaultWindow::UCLoginBtn_Click() {
    if (!lblQ1[0]->isHidden())
        CheckSecretAnswers();
    else
        CheckLogin();
    if (!m_s.session.LoginOK) {
        NormalPointer();
        m_s.messages.show(QStringLiteral(" The Details are incorrect. Please re-enter."));
        return;
    }
    m_s.session.IsFilling = true;
    for (int k = 0; k < 3; ++k) {
        lblQ1[k]->hide();
        txtAns[k]->hide();
    }
    fraLogin->hide();
    lblLoggedIn->setText(QStringLiteral("You are logged into ") + cboProfile->currentText() +
                         QStringLiteral(" profile!"));
    lblLoggedIn->show();
    QString timer;
    if (m_s.settings.ReadSetting(QStringLiteral("Timer"), timer) &&
        SettingsStore::numericValue(timer) > 0)
        tmrLock->start();
    SetupListButtons();
    imgLock->setEnabled(true);
    ClearLoginFields();
    FillTree(QString());
}

} // namespace tavrino
