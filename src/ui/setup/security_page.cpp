#include "security_page.h"

#include "shell/message_service.h"
#include "shell/settings_store.h"
#include "shell/single_instance.h"
#include "store/profile.h"
#include "ui/common/store_runner.h"
#include "store/profile_store.h"
#include "ui/common/session_state.h"
#include "ui/setup/security_checks.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>

namespace tavrino {

namespace {
QLineEdit* labelledBox(QGridLayout* grid, const QString& caption, int row, int column) {
    auto* label = new QLabel(caption);
    auto* box = new QLineEdit;
    label->setBuddy(box);
    box->setAccessibleName(caption);
    grid->addWidget(label, row, column);
    grid->addWidget(box, row, column + 1);
    return box;
}
} // namespace

SecurityPage::SecurityPage(VaultServices& services)
    : SetupPage(QStringLiteral("Security Options"), services) {
    QWidget* f = this;
    auto* page = new QVBoxLayout(f);
    auto* heading = new QLabel(QStringLiteral("Security Options"), f);
    heading->setStyleSheet(QStringLiteral("font-weight: bold; font-size: 14px;"));
    page->addWidget(heading);

    auto* modes = new QGroupBox(QStringLiteral("Login"), f);
    auto* modeRow = new QHBoxLayout(modes);
    m_passwordOnly = new QRadioButton(QStringLiteral("Password Only"));
    m_userIdAndPassword = new QRadioButton(QStringLiteral("User ID and Password"));
    m_userIdPasswordAndPin = new QRadioButton(QStringLiteral("User ID and Password and PIN"));
    for (QRadioButton* o : {m_passwordOnly, m_userIdAndPassword, m_userIdPasswordAndPin})
        modeRow->addWidget(o);
    page->addWidget(modes);

    auto* credentials = new QGridLayout;
    m_password = labelledBox(credentials, QStringLiteral("Password"), 0, 0);
    m_passwordConfirm = labelledBox(credentials, QStringLiteral("Confirm Password"), 0, 2);
    m_userId = labelledBox(credentials, QStringLiteral("User ID"), 1, 0);
    m_pin = labelledBox(credentials, QStringLiteral("PIN Number"), 1, 2);
    m_password->setEchoMode(QLineEdit::Password);
    m_passwordConfirm->setEchoMode(QLineEdit::Password);
    page->addLayout(credentials);

    auto* questions = new QGroupBox(QStringLiteral("Security Questions and Answers"), f);
    auto* qa = new QGridLayout(questions);
    for (int i = 0; i < 3; ++i) {
        m_questions[i] = new QLineEdit;
        m_questions[i]->setAccessibleName(QStringLiteral("Question %1").arg(i + 1));
        auto* answerLabel = new QLabel(QStringLiteral("Answer"));
        m_answers[i] = new QLineEdit;
        m_answers[i]->setAccessibleName(QStringLiteral("Answer %1").arg(i + 1));
        answerLabel->setBuddy(m_answers[i]);
        qa->addWidget(m_questions[i], i, 0);
        qa->addWidget(answerLabel, i, 1);
        qa->addWidget(m_answers[i], i, 2);
        qa->setColumnStretch(0, 3);
        qa->setColumnStretch(2, 2);
    }
    auto* required = new QHBoxLayout;
    m_oneAnswer = new QRadioButton(QStringLiteral("One Answer"));
    m_twoAnswers = new QRadioButton(QStringLiteral("Two Answers"));
    m_allAnswers = new QRadioButton(QStringLiteral("All Answers"));
    for (QRadioButton* o : {m_oneAnswer, m_twoAnswers, m_allAnswers})
        required->addWidget(o);
    qa->addLayout(required, 3, 0, 1, 3);
    page->addWidget(questions);
    for (QRadioButton* o : {m_passwordOnly, m_userIdAndPassword, m_userIdPasswordAndPin,
                            m_oneAnswer, m_twoAnswers, m_allAnswers})
        o->setAccessibleName(o->text());
    auto* modeGroup = new QButtonGroup(f);
    for (QRadioButton* o : {m_passwordOnly, m_userIdAndPassword, m_userIdPasswordAndPin})
        modeGroup->addButton(o);
    auto* requiredGroup = new QButtonGroup(f);
    for (QRadioButton* o : {m_oneAnswer, m_twoAnswers, m_allAnswers})
        requiredGroup->addButton(o);

    auto* lockRow = new QHBoxLayout;
    m_autoLock = new QCheckBox(QStringLiteral("Auto lock after time expires"));
    m_autoLockMinutes = new QSlider(Qt::Horizontal);
    m_autoLockMinutes->setRange(5, 60);
    m_autoLockMinutes->setPageStep(5);
    m_autoLockMinutes->setTickInterval(5);
    m_autoLockMinutes->setTickPosition(QSlider::TicksBelow);
    m_autoLockMinutes->setAccessibleName(QStringLiteral("Auto lock minutes"));
    m_autoLockMinutes->hide();
    lockRow->addWidget(m_autoLock);
    lockRow->addWidget(m_autoLockMinutes, 1);
    page->addLayout(lockRow);

    auto* print = new QPushButton(QStringLiteral("&Print List"));
    print->setAccessibleName(QStringLiteral("Print List"));
    auto* printRow = new QHBoxLayout;
    printRow->addStretch();
    printRow->addWidget(print);
    page->addLayout(printRow);
    page->addStretch();

    for (QLineEdit* box :
         {m_password, m_passwordConfirm, m_userId, m_pin, m_questions[0], m_questions[1],
          m_questions[2], m_answers[0], m_answers[1], m_answers[2]})
        connect(box, &QLineEdit::textChanged, this, [this] { markChanged(); });
    // All three login modes mark the page changed, the PIN mode too.
    for (QRadioButton* o : {m_passwordOnly, m_userIdAndPassword, m_userIdPasswordAndPin, m_oneAnswer, m_twoAnswers, m_allAnswers})
        connect(o, &QRadioButton::clicked, this, [this] { markChanged(); });
    connect(m_autoLock, &QCheckBox::toggled, this, [this] { onAutoLockToggled(); });
    connect(m_autoLockMinutes, &QSlider::sliderReleased, this, [this] { onAutoLockMinutesChosen(); });
    connect(m_autoLockMinutes, &QSlider::actionTriggered, this, [this](int action) {
        // Keys and clicks beside the handle move it without a release.
        if (action != QAbstractSlider::SliderMove)
            QTimer::singleShot(0, this, [this] { onAutoLockMinutesChosen(); });
    });
    connect(print, &QPushButton::clicked, this, &SecurityPage::printRequested);
    load();
}

void SecurityPage::load() {
    m_s.session.isFilling = true;
    const SecuritySettings& s = m_s.profile.Security;
    m_passwordOnly->setChecked(s.LoginMode == 1);
    m_userIdAndPassword->setChecked(s.LoginMode == 2);
    m_userIdPasswordAndPin->setChecked(s.LoginMode == 3);
    m_password->setText(PasswordMask);
    m_userId->setText(s.UserId);
    m_pin->setText(s.Pin);
    m_passwordConfirm->setText(PasswordMask);
    for (int i = 0; i < 3; ++i) {
        if (s.Questions.count() > i) {
            const QStringList parts = s.Questions.item(i + 1).split(QLatin1Char('|'));
            m_questions[i]->setText(parts.value(1));
            m_answers[i]->setText(parts.value(2));
        } else {
            m_questions[i]->clear();
            m_answers[i]->clear();
        }
    }
    m_oneAnswer->setChecked(s.AnswersRequired == 1);
    m_twoAnswers->setChecked(s.AnswersRequired == 2);
    m_allAnswers->setChecked(s.AnswersRequired == 3);
    m_autoLockMinutes->setValue(5);
    m_autoLock->setChecked(false);
    QString timer;
    if (m_s.settings.ReadSetting(QStringLiteral("Timer"), timer) &&
        SettingsStore::numericValue(timer) > 0) {
        // A stored time outside 5 to 60 minutes comes in at the nearest end.
        m_autoLockMinutes->setValue(static_cast<int>(std::nearbyint(SettingsStore::numericValue(timer))));
        m_autoLock->setChecked(true);
        onAutoLockToggled(); // the caption shows the minutes even when the box was ticked already
        m_s.session.autoLockMinutes = m_autoLockMinutes->value();
    }
    m_s.session.isFilling = false;
}

void SecurityPage::onAutoLockToggled() {
    markChanged();
    if (m_autoLock->isChecked()) {
        m_autoLockMinutes->show();
        m_autoLock->setText(QStringLiteral("Auto lock after %1 minutes").arg(m_autoLockMinutes->value()));
    } else {
        m_autoLockMinutes->hide();
        m_autoLock->setText(QStringLiteral("Auto lock after time expires"));
    }
}

void SecurityPage::onAutoLockMinutesChosen() {
    if (m_s.session.isFilling) return;
    emit dirtyChanged(true);
    m_autoLock->setText(QStringLiteral("Auto lock after %1 minutes").arg(m_autoLockMinutes->value()));
}

void SecurityPage::storeInProfile() {
    SecuritySettings& s = m_s.profile.Security;
    s.Questions.clear();
    s.LoginMode = chosenLoginMode();
    if (m_password->text() != PasswordMask) s.Password = m_password->text().trimmed();
    s.UserId = m_userId->text().trimmed();
    s.Pin = m_pin->text().trimmed();
    for (int i = 0; i < 3; ++i)
        if (!m_questions[i]->text().trimmed().isEmpty())
            s.Questions.add(SecuritySettings::questionLine(m_questions[i]->text().trimmed(),
                                                           m_answers[i]->text().trimmed()));
    s.AnswersRequired = chosenAnswersRequired();
}

void SecurityPage::markChanged() {
    if (!m_s.session.isFilling) emit dirtyChanged(true);
}

int SecurityPage::chosenLoginMode() const {
    return m_passwordOnly->isChecked() ? 1 : m_userIdAndPassword->isChecked() ? 2 : 3;
}

int SecurityPage::chosenAnswersRequired() const {
    return m_oneAnswer->isChecked() ? 1 : m_twoAnswers->isChecked() ? 2 : 3;
}

void SecurityPage::cancel() {
    load();
    emit dirtyChanged(false);
}

void SecurityPage::save() {
    SecurityForm form;
    form.loginMode = chosenLoginMode();
    form.password = m_password->text();
    form.confirm = m_passwordConfirm->text();
    form.userId = m_userId->text();
    form.pin = m_pin->text();
    for (int i = 0; i < 3; ++i) {
        form.questions << m_questions[i]->text();
        form.answers << m_answers[i]->text();
    }
    form.answersRequired = chosenAnswersRequired();
    const QString password = form.password == PasswordMask ? m_s.profile.Security.Password
                                                           : form.password.trimmed();
    form.defaultLogin = form.loginMode == 1 && password == QStringLiteral("QUILT");
    const QString refusal = securityCheckMessage(form);
    if (!refusal.isEmpty()) {
        m_s.messages.show(refusal, QStringLiteral("Error"), MsgIcon::Warning);
        return;
    }
    // A " |" typed into a credential or question would shift the line's fields.
    for (const QString& text :
         QStringList{form.password, form.userId, form.pin} + form.questions + form.answers) {
        if (text.contains(QLatin1Char('|'))) {
            m_s.messages.show(
                QStringLiteral("The character \"|\" can not be stored. Please remove it."),
                QStringLiteral("Error"), MsgIcon::Warning);
            return;
        }
    }

    BusyPointer();
    const SecuritySettings before = m_s.profile.Security;
    storeInProfile();
    const SaveOutcome outcome = m_s.runner.save();
    NormalPointer();
    if (changeKept(outcome)) {
        // Not on disk: memory stays as the file is, the page keeps its changes.
        m_s.profile.Security = before;
        return;
    }
    if (outcome == SaveOutcome::ConflictLogin) {
        noteSave();
        load();
        emit dirtyChanged(false);
        return;
    }
    if (m_autoLock->isChecked()) {
        m_s.session.autoLockMinutes = m_autoLockMinutes->value();
        m_s.settings.WriteSetting(QStringLiteral("Timer"), QString::number(m_autoLockMinutes->value()));
    } else {
        m_s.session.autoLockMinutes = -1;
        m_s.settings.WriteSetting(QStringLiteral("Timer"), QStringLiteral("0"));
    }
    emit dirtyChanged(false);
}

} // namespace tavrino
