// The record panel: opening, adding, changing, deleting a record, the
// password generator and the popup.
#include "vault_window.h"

#include "shell/clock.h"
#include "shell/message_service.h"
#include "shell/settings_store.h"
#include "shell/single_instance.h"
#include "store/profile.h"
#include "store/profile_store.h"
#include "ui/common/session_state.h"
#include "ui/desktop/flat_button.h"
#include "ui/popup/record_popup.h"
#include "ui/tree/date_text.h"
#include "ui/tree/record_tree_view.h"
#include "ui/vault/password_generator.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

namespace tavrino {

qsizetype VaultWindow::positionOf(const QString& key) {
    QString text = key;
    text.replace(QLatin1Char('C'), QLatin1Char('0'));
    return static_cast<qsizetype>(SettingsStore::numericValue(text));
}

void VaultWindow::markChanged() {
    if (!m_s.session.IsFilling) SetDirty(true);
}

void VaultWindow::connectRecordPanel() {
    for (QLineEdit* box : {txtUserDesc, txtUserpass, txtuserconfirm, txtExpiry, txtWeb, txtEmail})
        connect(box, &QLineEdit::textChanged, this, [this] { markChanged(); });
    connect(cboCategory, &QComboBox::currentIndexChanged, this, [this] { markChanged(); });
    connect(cboCategory, &QComboBox::editTextChanged, this, [this] { markChanged(); });
    connect(cboCategory, &QComboBox::activated, this, [this] { markChanged(); });

    connect(UCNewBtn, &FlatButton::clicked, this, [this] { UCNewBtn_Click(); });
    connect(UCSaveBtn, &FlatButton::clicked, this, [this] { UCSaveBtn_Click(); });
    connect(UCCancelBtn, &FlatButton::clicked, this, [this] { UCCancelBtn_Click(); });
    connect(UCBackBtn, &FlatButton::clicked, this, [this] { UCBackBtn_Click(); });
    connect(UCDeleteBtn, &FlatButton::clicked, this, [this] { UCDeleteBtn_Click(); });
    connect(UCPopBtn, &FlatButton::clicked, this, [this] { UCPopBtn_Click(); });
    connect(UCGenerateBtn, &FlatButton::clicked, this, [this] { UCGenerateBtn_Click(); });

    connect(TV1, &QTreeView::doubleClicked, this, [this] { ShowSelectedRecord(); });
    lblShow->setMouseTracking(true);
    lblShow->installEventFilter(this);
}

bool VaultWindow::recordNodeSelected() const {
    const QModelIndex current = TV1->currentIndex();
    return current.isValid() && current.parent().isValid();
}

void VaultWindow::showRecordLayout() {
    fraDetail->show();
    fraMenu->hide();
    fraPassTool->show();
    fraTV->hide();
    cmdAlpha->hide();
    fraRecord->show();
    fraTools->hide();
    UCBackBtn->show();
    UCNewBtn->hide();
    txtUserCode->setFocus();
}

void VaultWindow::ShowSelectedRecord() {
    if (!recordNodeSelected()) return;
    const QString key = nodeKey(TV1->currentIndex());
    m_s.session.IsFilling = true;
    ClearRecordDetail();
    ShowRecordDetail(key);
    CurrentRecordKey = key;
    m_s.session.IsFilling = false;
    FraDetailShow(true);
    showRecordLayout();
}

int VaultWindow::FindListItem(const QComboBox* list, const QString& text) {
    for (int i = 0; i < list->count(); ++i)
        if (list->itemText(i) == text) return i;
    return -1;
}

void VaultWindow::ShowRecordDetail(const QString& key) {
    const qsizetype position = positionOf(key);
    if (key.isEmpty() || position < 1 || position > m_s.profile.Records.count()) return;
    const QStringList f = m_s.profile.Records.item(position).split(QLatin1Char('|'));
    const QString category = f.value(1);
    cboCategory->setCurrentIndex(category.isEmpty() ? -1 : FindListItem(cboCategory, category));
    if (cboCategory->currentIndex() < 0) cboCategory->setEditText(QString());
    txtUserpass->setText(f.value(4));
    txtuserconfirm->setText(f.value(4));
    txtUserDesc->setText(f.value(2));
    txtUserCode->setText(f.value(3));
    txtSource->setPlainText(f.value(5));
    txtExpiry->setText(f.value(6));
    txtWeb->setText(f.value(7));
    txtEmail->setText(f.value(8));
}

void VaultWindow::ClearRecordDetail() {
    if (cboCategory->count() > 0) cboCategory->setCurrentIndex(0);
    for (QLineEdit* box :
         {txtUserDesc, txtUserCode, txtUserpass, txtExpiry, txtuserconfirm, txtEmail, txtWeb})
        box->clear();
    txtSource->clear();
}

bool VaultWindow::SaveRecord(const QString& positionText) {
    if (txtUserCode->text().trimmed().isEmpty()) {
        m_s.messages.show(QStringLiteral("Account/UserCode must have a valid entry!"));
        return false;
    }
    if (txtUserpass->text().isEmpty()) {
        NormalPointer();
        m_s.messages.show(QStringLiteral("Password is blank!"), QStringLiteral("Warning"));
        BusyPointer();
    }
    if (txtUserpass->text().trimmed() != txtuserconfirm->text().trimmed()) {
        m_s.messages.show(QStringLiteral("Password and confirmation entry do not match!"));
        NormalPointer();
        return false;
    }
    txtExpiry->setText(txtExpiry->text().trimmed());
    if (!txtExpiry->text().isEmpty()) {
        const std::optional<QDate> date = parseDateText(txtExpiry->text(), m_s.clock.now().date());
        if (!date) {
            m_s.messages.show(QStringLiteral("  Enter a valid Expiry Date!"));
            txtExpiry->setFocus();
            return false;
        }
        const QString typed = txtExpiry->text();
        // Always day first, the order every expiry date is read in.
        if (!(typed.size() == 5 && typed[2] == QLatin1Char('/')))
            txtExpiry->setText(date->toString(QStringLiteral("dd/MM/yyyy")));
    }

    PasswordRecord record;
    record[PasswordRecord::Category] =
        cboCategory->currentIndex() == 0 ? QString() : cboCategory->currentText().trimmed();
    record[PasswordRecord::Description] = txtUserDesc->text().trimmed();
    record[PasswordRecord::UserCode] = txtUserCode->text().trimmed();
    record[PasswordRecord::Password] = txtUserpass->text().trimmed();
    // Line breaks are stored as CR LF, as the Windows version writes them.
    record[PasswordRecord::Notes] =
        txtSource->toPlainText().trimmed().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    record[PasswordRecord::ExpiryDate] = txtExpiry->text();
    record[PasswordRecord::WebSite] = txtWeb->text();
    record[PasswordRecord::Email] = txtEmail->text();
    // The file has no escaping: a "|" would shift every later field.
    static const char* const captions[] = {"Category",     "Description", "User/Account Code",
                                           "Password/PIN", "Notes",       "Any Expiry Date",
                                           "Web Site",     "Email"};
    for (int i = 0; i < PasswordRecord::FieldCount; ++i) {
        if (record.fields[i].contains(QLatin1Char('|'))) {
            NormalPointer();
            m_s.messages.show(
                QStringLiteral("%1 can not contain the character \"|\". Please remove it.")
                    .arg(QLatin1String(captions[i])),
                QStringLiteral("Tavrino"), MsgIcon::Warning);
            return false;
        }
    }

    RecordList& records = m_s.profile.Records;
    const qsizetype position = static_cast<qsizetype>(SettingsStore::numericValue(positionText));
    QString replaced;
    const bool replacing = lblNewUser->isHidden() && position >= 1 && position <= records.count();
    if (replacing) {
        replaced = records.item(position);
        records.remove(position);
    }
    records.add(record.toLine());
    m_s.store.WriteToFile();
    if (m_s.store.lastSaveOutcome() == SaveOutcome::Failed) {
        // Nothing reached the disk: keep memory as the file is, so UNDO and
        // a second try both start from the stored record.
        records.remove(records.count());
        if (replacing) records.insert(position, replaced);
    }
    return true;
}

void VaultWindow::afterConflict(bool loginChanged) {
    // The profile was read again: positions changed under the panel.
    SetDirty(false);
    lblNewUser->hide();
    CurrentRecordKey.clear();
    if (loginChanged || m_readFailed) {
        if (m_readFailed) markProfileUnusable();
        LockVault();
        return;
    }
    SetupListButtons();
    FillTree(QString());
}

void VaultWindow::UCNewBtn_Click() {
    m_s.session.IsFilling = true;
    ClearRecordDetail();
    FraDetailShow(true);
    m_s.session.IsFilling = false;
    fraDetail->show();
    fraTV->hide();
    fraTools->hide();
    cmdAlpha->hide();
    fraMenu->hide();
    fraPassTool->show();
    fraRecord->show();
    UCBackBtn->show();
    UCNewBtn->hide();
    lblNewUser->show();
    txtUserCode->setFocus();
}

void VaultWindow::UCSaveBtn_Click() {
    QString positionText = CurrentRecordKey;
    positionText.replace(QLatin1Char('C'), QLatin1Char('0'));
    BusyPointer();
    m_readFailed = false;
    if (SaveRecord(positionText)) {
        switch (m_s.store.lastSaveOutcome()) {
        case SaveOutcome::Saved:
            m_s.session.IsFilling = false;
            showRecordLayout();
            UCSaveBtn->hide();
            UCCancelBtn->hide();
            lblNewUser->hide();
            txtUserCode->setFocus();
            CurrentRecordKey = recordKey(m_s.profile.Records.count());
            SetDirty(false);
            break;
        case SaveOutcome::Failed:
            break; // still changed, the typed values still on screen
        case SaveOutcome::ConflictRecords:
        case SaveOutcome::ConflictLogin:
            afterConflict(m_s.store.lastSaveOutcome() == SaveOutcome::ConflictLogin);
            break;
        }
    }
    NormalPointer();
}

void VaultWindow::UCCancelBtn_Click() {
    m_s.session.IsFilling = true;
    ClearRecordDetail();
    ShowRecordDetail(CurrentRecordKey);
    m_s.session.IsFilling = false;
    showRecordLayout();
    UCSaveBtn->hide();
    UCCancelBtn->hide();
    lblNewUser->hide();
    SetDirty(false);
    txtUserCode->setFocus();
}

void VaultWindow::UCBackBtn_Click() {
    if (m_dirty) {
        const MsgAnswer answer = m_s.messages.show(
            QStringLiteral("Are you sure you wish to abandon this new record?"),
            QStringLiteral("New Record Abort"), MsgIcon::Question, MsgButtons::YesNo, 2);
        SetDirty(false);
        if (answer != MsgAnswer::Yes) return;
    }
    lblNewUser->hide();
    SetupListButtons();
    FillTree(CurrentRecordKey);
}

void VaultWindow::UCDeleteBtn_Click() {
    const MsgAnswer answer =
        m_s.messages.show(QStringLiteral("Are you sure you wish to delete this record?"),
                          QStringLiteral("Delete Entry"), MsgIcon::Question, MsgButtons::YesNo, 2);
    const qsizetype position = positionOf(CurrentRecordKey);
    RecordList& records = m_s.profile.Records;
    if (answer != MsgAnswer::Yes || CurrentRecordKey.isEmpty() || !lblNewUser->isHidden() ||
        position < 1 || position > records.count())
        return;
    const QString removed = records.item(position);
    records.remove(position);
    m_readFailed = false;
    m_s.store.WriteToFile();
    NormalPointer();
    switch (m_s.store.lastSaveOutcome()) {
    case SaveOutcome::Saved:
        // Deleting wins over unsaved changes in the panel.
        SetDirty(false);
        CurrentRecordKey.clear();
        UCBackBtn_Click();
        break;
    case SaveOutcome::Failed:
        records.insert(position, removed);
        break;
    case SaveOutcome::ConflictRecords:
    case SaveOutcome::ConflictLogin:
        afterConflict(m_s.store.lastSaveOutcome() == SaveOutcome::ConflictLogin);
        break;
    }
}

void VaultWindow::UCPopBtn_Click() {
    const qsizetype position = positionOf(CurrentRecordKey);
    if (CurrentRecordKey.isEmpty() || !lblNewUser->isHidden() || position < 1 ||
        position > m_s.profile.Records.count())
        return;
    popup()->GetItem(m_s.profile.Records.item(position).split(QLatin1Char('|')));
}

RecordPopup* VaultWindow::popup() {
    if (!m_popup) {
        // No owner: the popup stays up when the vault is hidden or minimised.
        m_popup = new RecordPopup(m_s.addresses, m_clipboard);
        m_popup->startTimer = [this] {
            if (!tmrPass->isActive()) tmrPass->start();
        };
    }
    return m_popup;
}

void VaultWindow::UCGenerateBtn_Click() {
    if (!txtUserpass->text().isEmpty()) {
        const MsgAnswer answer = m_s.messages.show(
            QStringLiteral("You are about to overwrite the current password with a new high "
                           "security password\r\n"
                           "Do you wish to save the old password under Notes?\r\n"
                           "Press CANCEL to exit!"),
            QStringLiteral("Password"), MsgIcon::Warning, MsgButtons::YesNoCancel, 2);
        if (answer == MsgAnswer::Cancel) return;
        if (answer == MsgAnswer::Yes) {
            QString notes = txtSource->toPlainText();
            if (!notes.isEmpty()) notes += QStringLiteral("\r\n");
            txtSource->setPlainText(notes + QStringLiteral(" pwd:<") + txtUserpass->text() +
                                    QLatin1Char('>'));
        }
    }
    const QString password = GeneratePassword(m_s.clock);
    txtUserpass->setText(password);
    txtuserconfirm->setText(password);
}

} // namespace tavrino
