#include "login_panel.h"

#include "ui/common/name_list.h"

#include "shell/message_service.h"
#include "shell/single_instance.h"
#include "store/login_check.h"
#include "store/profile.h"
#include "ui/common/store_runner.h"
#include "store/profile_manager.h"
#include "store/profile_store.h"
#include "ui/common/session_state.h"
#include "ui/vault/vault_layout.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace tavrino {

using namespace vaultlayout;

LoginPanel::LoginPanel(VaultServices& services, QWidget* parent)
    : QFrame(parent), m_s(services) {
    setObjectName(QStringLiteral("loginPanel"));
    setGeometry(twips(705, 1470, 4065, 4005));
    paintAsPanel(this);
    setAccessibleName(QStringLiteral("Login"));
    const int w = 251;
    QLabel* prompt = caption(this, QStringLiteral("Choose a profile to open !"), 10, 4);
    m_profile = new QComboBox(this);
    m_profile->setGeometry(10, 20, w, 24);
    prompt->setBuddy(m_profile);
    m_profile->setAccessibleName(prompt->text());

    m_userIdCaption = caption(this, QStringLiteral("User ID"), 10, 50);
    m_userId = box(this, m_userIdCaption, 10, 66, w);
    m_passwordCaption = caption(this, QStringLiteral("Password"), 10, 92);
    m_password = box(this, m_passwordCaption, 10, 108, w);
    m_password->setEchoMode(QLineEdit::Password);
    m_pinCaption = caption(this, QStringLiteral("PIN Number"), 10, 134);
    m_pin = box(this, m_pinCaption, 10, 150, w);
    for (QLineEdit* e : {m_userId, m_password, m_pin})
        e->setMaxLength(30);

    // The questions take the credentials' places: all three fit, each
    // caption clear of the box above it.
    for (int k = 0; k < 3; ++k) {
        m_questions[k] = caption(this, QString(), 10, 50 + k * 42);
        m_answers[k] = box(this, nullptr, 10, 66 + k * 42, w);
        m_answers[k]->setAccessibleName(QStringLiteral("Answer %1").arg(k + 1));
        m_questions[k]->setBuddy(m_answers[k]);
    }
    hideQuestions();
    const QList<QWidget*> order{m_profile, m_userId, m_password, m_pin,
                                m_answers[0], m_answers[1], m_answers[2]};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(m_profile, &QComboBox::activated, this, [this] { openChosenProfile(); });
    for (QLineEdit* e : {m_userId, m_password, m_pin, m_answers[0], m_answers[1], m_answers[2]})
        connect(e, &QLineEdit::returnPressed, this, &LoginPanel::loginRequested);
}

void LoginPanel::listProfiles() {
    const QStringList names = m_s.profiles.ListProfiles();
    showNames(m_profile, names);
    if (!names.isEmpty()) {
        m_profile->setCurrentIndex(0);
        openChosenProfile();
    }
}

QString LoginPanel::profileName() const {
    return chosenName(m_profile);
}

QStringList LoginPanel::profileNames() const {
    return shownNames(m_profile);
}

void LoginPanel::chooseProfile(const QString& name) {
    chooseName(m_profile, name);
    openChosenProfile();
}

void LoginPanel::openChosenProfile() {
    const bool opened = m_s.runner.open(profileName());
    if (opened && !m_s.store.readFailed()) {
        showLoginBoxes();
        emit profileOpened();
        return;
    }
    // In use elsewhere is no problem with the profile: it passes.
    if (!m_s.store.readExplained())
        m_s.messages.show(QStringLiteral("Problem with Profile!"), QStringLiteral("Tavrino"),
                          MsgIcon::Critical);
    forgetProfile();
}

void LoginPanel::forgetProfile() {
    Profile& p = m_s.profile;
    p.Security.LoginMode = 0;
    p.Categories.clear();
    p.Records.clear();
    p.Security.Questions.clear();
    p.ProfileLoaded = false;
    emit profileOpened();
    emit profileUnusable();
}

bool LoginPanel::offersQuestions() const {
    return m_s.profile.Security.LoginMode > 0;
}

void LoginPanel::showLoginBoxes() {
    hideQuestions();
    const int mode = m_s.profile.Security.LoginMode;
    m_userId->setVisible(mode > 1);
    m_userIdCaption->setVisible(mode > 1);
    m_password->setVisible(mode > 0);
    m_passwordCaption->setVisible(mode > 0);
    m_pin->setVisible(mode > 2);
    m_pinCaption->setVisible(mode > 2);
    clearBoxes();
}

void LoginPanel::clearBoxes() {
    for (QLineEdit* e : {m_password, m_pin, m_userId, m_answers[0], m_answers[1], m_answers[2]})
        e->clear();
}

void LoginPanel::hideQuestions() {
    for (int k = 0; k < 3; ++k) {
        m_questions[k]->hide();
        m_answers[k]->hide();
    }
}

bool LoginPanel::questionsShown() const {
    return !m_questions[0]->isHidden();
}

void LoginPanel::showQuestions() {
    const QuestionList& questions = m_s.profile.Security.Questions;
    if (questions.count() < 1) return;
    hideQuestions();
    for (QWidget* credential : std::initializer_list<QWidget*>{
             m_userIdCaption, m_userId, m_passwordCaption, m_password, m_pinCaption, m_pin})
        credential->hide();
    for (int k = 0; k < questions.count() && k < 3; ++k) {
        m_questions[k]->setText(questions.item(k + 1).section(QLatin1Char('|'), 1, 1) +
                                QStringLiteral(" ?"));
        m_questions[k]->show();
        m_answers[k]->show();
    }
    m_answers[0]->setFocus();
}

bool LoginPanel::tryLogin() {
    std::function<bool()> login;
    if (questionsShown()) {
        QStringList typed;
        for (QLineEdit* e : m_answers)
            typed << e->text();
        login = [this, typed] { return m_s.store.logInByAnswers(typed); };
    } else {
        // A sealed profile is decrypted by its login.
        login = [this] {
            return m_s.store.logIn(m_userId->text(), m_password->text(), m_pin->text());
        };
    }
    // A sealed profile is read again at its login: that may wait for
    // another workstation's save, as a save does.
    const std::optional<bool> loggedIn = m_s.runner.logIn(login);
    m_s.session.loginOk = loggedIn.value_or(false);
    // What reading the profile again met.
    m_s.runner.showNotices();
    // Stopped waiting, or the read failed (in use elsewhere, damaged, no
    // memory) and said so: no wrong login.
    if (!loggedIn || (!m_s.session.loginOk && m_s.store.readFailed())) return false;
    if (!m_s.session.loginOk) {
        NormalPointer();
        m_s.messages.show(QStringLiteral(" The Details are incorrect. Please re-enter."));
        return false;
    }
    hideQuestions();
    return true;
}

void LoginPanel::focusFirstBox() {
    if (m_password->isVisible()) m_password->setFocus();
    if (m_userId->isVisible()) m_userId->setFocus();
}

void LoginPanel::focusLastBox() {
    focusFirstBox();
    if (m_pin->isVisible()) m_pin->setFocus();
}

} // namespace tavrino
