// The security page: login mode, credentials, secret questions, auto-lock.
#include "setup_window.h"

#include "shell/message_service.h"
#include "shell/settings_store.h"
#include "shell/single_instance.h"
#include "store/profile.h"
#include "store/profile_store.h"
#include "ui/common/session_state.h"
#include "ui/setup/security_checks.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
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

QFrame* SetupWindow::buildSecurityPage() {
    auto* f = new QFrame;
    f->setObjectName(QStringLiteral("Security Options"));
    f->setAccessibleName(f->objectName());
    auto* page = new QVBoxLayout(f);
    auto* heading = new QLabel(QStringLiteral("Security Options"), f);
    heading->setStyleSheet(QStringLiteral("font-weight: bold; font-size: 14px;"));
    page->addWidget(heading);

    auto* modes = new QGroupBox(QStringLiteral("Login"), f);
    auto* modeRow = new QHBoxLayout(modes);
    optPass = new QRadioButton(QStringLiteral("Password Only"));
    optUserPass = new QRadioButton(QStringLiteral("User ID and Password"));
    optPIN = new QRadioButton(QStringLiteral("User ID and Password and PIN"));
    for (QRadioButton* o : {optPass, optUserPass, optPIN})
        modeRow->addWidget(o);
    page->addWidget(modes);

    auto* credentials = new QGridLayout;
    txtPassword = labelledBox(credentials, QStringLiteral("Password"), 0, 0);
    txtconfirm = labelledBox(credentials, QStringLiteral("Confirm Password"), 0, 2);
    txtUserID = labelledBox(credentials, QStringLiteral("User ID"), 1, 0);
    txtSetupPIN = labelledBox(credentials, QStringLiteral("PIN Number"), 1, 2);
    txtPassword->setEchoMode(QLineEdit::Password);
    txtconfirm->setEchoMode(QLineEdit::Password);
    page->addLayout(credentials);

    auto* questions = new QGroupBox(QStringLiteral("Security Questions and Answers"), f);
    auto* qa = new QGridLayout(questions);
    for (int i = 0; i < 3; ++i) {
        txtQuestion[i] = new QLineEdit;
        txtQuestion[i]->setAccessibleName(QStringLiteral("Question %1").arg(i + 1));
        auto* answerLabel = new QLabel(QStringLiteral("Answer"));
        txtanswer[i] = new QLineEdit;
        txtanswer[i]->setAccessibleName(QStringLiteral("Answer %1").arg(i + 1));
        answerLabel->setBuddy(txtanswer[i]);
        qa->addWidget(txtQuestion[i], i, 0);
        qa->addWidget(answerLabel, i, 1);
        qa->addWidget(txtanswer[i], i, 2);
        qa->setColumnStretch(0, 3);
        qa->setColumnStretch(2, 2);
    }
    auto* required = new QHBoxLayout;
    optQ1 = new QRadioButton(QStringLiteral("One Answer"));
    optQ2 = new QRadioButton(QStringLiteral("Two Answers"));
    optAll = new QRadioButton(QStringLiteral("All Answers"));
    for (QRadioButton* o : {optQ1, optQ2, optAll})
        required->addWidget(o);
    qa->addLayout(required, 3, 0, 1, 3);
    page->addWidget(questions);
    auto* modeGroup = new QButtonGroup(f);
    for (QRadioButton* o : {optPass, optUserPass, optPIN})
        modeGroup->addButton(o);
    auto* requiredGroup = new QButtonGroup(f);
    for (QRadioButton* o : {optQ1, optQ2, optAll})
        requiredGroup->addButton(o);

    auto* lockRow = new QHBoxLayout;
    chkTimeout = new QCheckBox(QStringLiteral("Auto lock after time expires"));
    slTimer = new QSlider(Qt::Horizontal);
    slTimer->setRange(5, 60);
    slTimer->setPageStep(5);
    slTimer->setTickInterval(5);
    slTimer->setTickPosition(QSlider::TicksBelow);
    slTimer->setAccessibleName(QStringLiteral("Auto lock minutes"));
    slTimer->hide();
    lockRow->addWidget(chkTimeout);
    lockRow->addWidget(slTimer, 1);
    page->addLayout(lockRow);

    cmdPrint = new QPushButton(QStringLiteral("&Print List"));
    cmdPrint->setAccessibleName(QStringLiteral("Print List"));
    auto* printRow = new QHBoxLayout;
    printRow->addStretch();
    printRow->addWidget(cmdPrint);
    page->addLayout(printRow);
    page->addStretch();

    for (QLineEdit* box :
         {txtPassword, txtconfirm, txtUserID, txtSetupPIN, txtQuestion[0], txtQuestion[1],
          txtQuestion[2], txtanswer[0], txtanswer[1], txtanswer[2]})
        connect(box, &QLineEdit::textChanged, this, [this] { markChanged(); });
    // All three login modes mark the page changed, the PIN mode too.
    for (QRadioButton* o : {optPass, optUserPass, optPIN, optQ1, optQ2, optAll})
        connect(o, &QRadioButton::clicked, this, [this] { markChanged(); });
    connect(chkTimeout, &QCheckBox::toggled, this, [this] { chkTimeout_Click(); });
    connect(slTimer, &QSlider::sliderReleased, this, [this] { slTimer_Click(); });
    connect(slTimer, &QSlider::actionTriggered, this, [this](int action) {
        // Keys and clicks beside the handle move it without a release.
        if (action != QAbstractSlider::SliderMove)
            QTimer::singleShot(0, this, [this] { slTimer_Click(); });
    });
    connect(cmdPrint, &QPushButton::clicked, this, [this] { cmdPrint_Click(); });
    return f;
}

void SetupWindow::LoadSecurityOptions() {
    m_s.session.IsFilling = true;
    const SecuritySettings& s = m_s.profile.Security;
    optPass->setChecked(s.LoginMode == 1);
    optUserPass->setChecked(s.LoginMode == 2);
    optPIN->setChecked(s.LoginMode == 3);
    txtPassword->setText(PasswordMask);
    txtUserID->setText(s.UserId);
    txtSetupPIN->setText(s.Pin);
    txtconfirm->setText(PasswordMask);
    for (int i = 0; i < 3; ++i) {
        if (s.Questions.count() > i) {
            const QStringList parts = s.Questions.item(i + 1).split(QLatin1Char('|'));
            txtQuestion[i]->setText(parts.value(1));
            txtanswer[i]->setText(parts.value(2));
        } else {
            txtQuestion[i]->clear();
            txtanswer[i]->clear();
        }
    }
    optQ1->setChecked(s.AnswersRequired == 1);
    optQ2->setChecked(s.AnswersRequired == 2);
    optAll->setChecked(s.AnswersRequired == 3);
    slTimer->setValue(5);
    chkTimeout->setChecked(false);
    QString timer;
    if (m_s.settings.ReadSetting(QStringLiteral("Timer"), timer) &&
        SettingsStore::numericValue(timer) > 0) {
        // A stored time outside 5 to 60 minutes comes in at the nearest end.
        slTimer->setValue(static_cast<int>(std::nearbyint(SettingsStore::numericValue(timer))));
        chkTimeout->setChecked(true);
        chkTimeout_Click(); // the caption shows the minutes even when the box was ticked already
        m_s.session.AutoLockMinutes = slTimer->value();
    }
    m_s.session.IsFilling = false;
}

void SetupWindow::chkTimeout_Click() {
    markChanged();
    if (chkTimeout->isChecked()) {
        slTimer->show();
        chkTimeout->setText(QStringLiteral("Auto lock after %1 minutes").arg(slTimer->value()));
    } else {
        slTimer->hide();
        chkTimeout->setText(QStringLiteral("Auto lock after time expires"));
    }
}

void SetupWindow::slTimer_Click() {
    if (m_s.session.IsFilling) return;
    SetDirty(true);
    chkTimeout->setText(QStringLiteral("Auto lock after %1 minutes").arg(slTimer->value()));
}

void SetupWindow::SaveSecurityOptions() {
    SecuritySettings& s = m_s.profile.Security;
    s.Questions.clear();
    s.LoginMode = optPass->isChecked() ? 1 : optUserPass->isChecked() ? 2 : 3;
    if (txtPassword->text() != PasswordMask) s.Password = txtPassword->text().trimmed();
    s.UserId = txtUserID->text().trimmed();
    s.Pin = txtSetupPIN->text().trimmed();
    for (int i = 0; i < 3; ++i)
        if (!txtQuestion[i]->text().trimmed().isEmpty())
            s.Questions.add(SecuritySettings::questionLine(txtQuestion[i]->text().trimmed(),
                                                           txtanswer[i]->text().trimmed()));
    s.AnswersRequired = optQ1->isChecked() ? 1 : optQ2->isChecked() ? 2 : 3;
}

void SetupWindow::saveSecurity() {
    SecurityForm form;
    form.loginMode = optPass->isChecked() ? 1 : optUserPass->isChecked() ? 2 : 3;
    form.password = txtPassword->text();
    form.confirm = txtconfirm->text();
    form.userId = txtUserID->text();
    form.pin = txtSetupPIN->text();
    for (int i = 0; i < 3; ++i) {
        form.questions << txtQuestion[i]->text();
        form.answers << txtanswer[i]->text();
    }
    form.answersRequired = optQ1->isChecked() ? 1 : optQ2->isChecked() ? 2 : 3;
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
    SaveSecurityOptions();
    m_s.store.WriteToFile();
    NormalPointer();
    const SaveOutcome outcome = m_s.store.lastSaveOutcome();
    if (outcome == SaveOutcome::Failed) {
        // Not on disk: memory stays as the file is, the page keeps its changes.
        m_s.profile.Security = before;
        return;
    }
    if (outcome != SaveOutcome::Saved) {
        noteSave();
        LoadSecurityOptions();
        SetDirty(false);
        return;
    }
    if (chkTimeout->isChecked()) {
        m_s.session.AutoLockMinutes = slTimer->value();
        m_s.settings.WriteSetting(QStringLiteral("Timer"), QString::number(slTimer->value()));
    } else {
        m_s.session.AutoLockMinutes = -1;
        m_s.settings.WriteSetting(QStringLiteral("Timer"), QStringLiteral("0"));
    }
    SetDirty(false);
}

} // namespace tavrino
