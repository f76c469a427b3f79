#include "record_panel.h"

#include "shell/clock.h"
#include "shell/message_service.h"
#include "shell/settings_store.h"
#include "shell/single_instance.h"
#include "store/profile.h"
#include "ui/common/store_runner.h"
#include "ui/common/session_state.h"
#include "store/date_text.h"
#include "ui/tree/record_tree_view.h"
#include "ui/tree/tree_builder.h"
#include "crypto/password_generator.h"
#include "ui/vault/generator_dialog.h"
#include "ui/vault/vault_layout.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>

namespace tavrino {

using namespace vaultlayout;

RecordPanel::RecordPanel(VaultServices& services, QWidget* parent)
    : QFrame(parent), m_s(services) {
    setObjectName(QStringLiteral("recordPanel"));
    setGeometry(twips(675, 1470, 4080, 4155));
    paintAsPanel(this);
    setAccessibleName(QStringLiteral("Record"));
    // Two columns of caption-over-box rows, clear of the record bar below.
    const int left = 8;
    const int right = 138;
    const int half = 126;
    const int full = 256;
    auto row = [](int n) { return n * 38; };
    QLabel* code = caption(this, QStringLiteral("User/Account Code"), left, row(0), half);
    m_userCode = box(this, code, left, row(0) + 15, half);
    QLabel* category = caption(this, QStringLiteral("Category"), right, row(0), half);
    m_category = new QComboBox(this);
    m_category->setEditable(true);
    m_category->setGeometry(right, row(0) + 15, half, 22);
    category->setBuddy(m_category);
    m_category->setAccessibleName(category->text());
    m_category->lineEdit()->setAccessibleName(category->text());
    QLabel* description = caption(this, QStringLiteral("Description"), left, row(1), full);
    m_description = box(this, description, left, row(1) + 15, full);
    QLabel* password = caption(this, QStringLiteral("Password/PIN"), left, row(2), half);
    m_password = box(this, password, left, row(2) + 15, half);
    m_passwordConfirmCaption =
        caption(this, QStringLiteral("Confirm Password/PIN"), right, row(2), half);
    m_passwordConfirm = box(this, m_passwordConfirmCaption, right, row(2) + 15, half);
    m_password->setEchoMode(QLineEdit::Password);
    m_passwordConfirm->setEchoMode(QLineEdit::Password);
    QLabel* email = caption(this, QStringLiteral("Email"), left, row(3), half);
    m_email = box(this, email, left, row(3) + 15, half);
    QLabel* web = caption(this, QStringLiteral("Web Site"), right, row(3), half);
    m_webSite = box(this, web, right, row(3) + 15, half);
    QLabel* notes = caption(this, QStringLiteral("Notes"), left, row(4), full);
    m_notes = new QPlainTextEdit(this);
    m_notes->setGeometry(left, row(4) + 15, full, 54);
    m_notes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    notes->setBuddy(m_notes);
    m_notes->setAccessibleName(notes->text());
    m_notes->setTabChangesFocus(true);
    QLabel* expiry = caption(this, QStringLiteral("Any Expiry Date"), left, 226, half);
    m_expiryDate = box(this, expiry, left, 241, half);
    m_newMark = new QLabel(QStringLiteral("NEW"), this);
    m_newMark->setGeometry(right, 241, half, 22);
    m_newMark->setAlignment(Qt::AlignCenter);
    m_newMark->setStyleSheet(QStringLiteral("color: #b03030; font-weight: bold;"));
    m_newMark->hide();
    // Smaller captions by font, not a style sheet: a style sheet would take
    // the desktop's text colour instead of the card's.
    for (QLabel* label : findChildren<QLabel*>()) {
        if (label == m_newMark) continue;
        QFont small = label->font();
        small.setPixelSize(11);
        label->setFont(small);
    }

    const QList<QWidget*> order{m_userCode, m_category, m_description, m_password,
                                m_passwordConfirm, m_email, m_webSite, m_notes, m_expiryDate};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);

    // Every box marks the record changed: an edit to the user code or the
    // notes alone is offered for saving too, and BACK asks before it goes.
    for (QLineEdit* b : {m_userCode, m_description, m_password, m_passwordConfirm, m_expiryDate,
                         m_webSite, m_email})
        connect(b, &QLineEdit::textChanged, this, [this] { markChanged(); });
    connect(m_notes, &QPlainTextEdit::textChanged, this, [this] { markChanged(); });
    // Enter in a one-line box saves, as SAVE would.
    for (QLineEdit* b : findChildren<QLineEdit*>())
        connect(b, &QLineEdit::returnPressed, this, &RecordPanel::saveRequested);
    connect(m_category, &QComboBox::currentIndexChanged, this, [this] { markChanged(); });
    connect(m_category, &QComboBox::editTextChanged, this, [this] { markChanged(); });
    connect(m_category, &QComboBox::activated, this, [this] { markChanged(); });
}

qsizetype RecordPanel::positionOf(const QString& key) {
    QString text = key;
    text.replace(QLatin1Char('C'), QLatin1Char('0'));
    return static_cast<qsizetype>(SettingsStore::numericValue(text));
}

qsizetype RecordPanel::storedPosition() const {
    const qsizetype position = positionOf(m_currentKey);
    if (m_currentKey.isEmpty() || isNewRecord() || position < 1 ||
        position > m_s.profile.Records.count())
        return 0;
    return position;
}

QLineEdit* RecordPanel::boxFor(PasswordRecord::Field field) const {
    switch (field) {
    case PasswordRecord::Description: return m_description;
    case PasswordRecord::UserCode: return m_userCode;
    case PasswordRecord::Password: return m_password;
    case PasswordRecord::ExpiryDate: return m_expiryDate;
    case PasswordRecord::WebSite: return m_webSite;
    case PasswordRecord::Email: return m_email;
    default: return nullptr;
    }
}

void RecordPanel::setDirty(bool dirty) {
    m_dirty = dirty;
    emit dirtyChanged(dirty);
}

void RecordPanel::markChanged() {
    if (!m_s.session.isFilling) setDirty(true);
}

void RecordPanel::forget() {
    m_s.session.isFilling = true;
    clearBoxes();
    m_s.session.isFilling = false;
    setDirty(false);
    m_newMark->hide();
    m_currentKey.clear();
}

void RecordPanel::focusFirstBox() {
    m_userCode->setFocus();
}

bool RecordPanel::isNewRecord() const {
    return !m_newMark->isHidden();
}

void RecordPanel::fillCategories() {
    // Filling a list is no choice of the user's.
    const QSignalBlocker quiet(m_category);
    m_category->clear();
    m_category->addItem(NoCategoryKey);
    m_category->addItems(m_s.profile.Categories.names());
}

void RecordPanel::showRecord(const QString& key) {
    m_s.session.isFilling = true;
    clearBoxes();
    fillBoxes(key);
    m_currentKey = key;
    m_s.session.isFilling = false;
}

void RecordPanel::fillBoxes(const QString& key) {
    const qsizetype position = positionOf(key);
    if (key.isEmpty() || position < 1 || position > m_s.profile.Records.count()) return;
    const QStringList f = m_s.profile.Records.item(position).split(QLatin1Char('|'));
    const QString category = f.value(1);
    m_category->setCurrentIndex(category.isEmpty() ? -1 : m_category->findText(category, Qt::MatchExactly | Qt::MatchCaseSensitive));
    if (m_category->currentIndex() < 0) m_category->setEditText(QString());
    m_password->setText(f.value(4));
    m_passwordConfirm->setText(f.value(4));
    m_description->setText(f.value(2));
    m_userCode->setText(f.value(3));
    m_notes->setPlainText(f.value(5));
    m_expiryDate->setText(f.value(6));
    m_webSite->setText(f.value(7));
    m_email->setText(f.value(8));
    // Narrow boxes open at the start of a long value, where it is recognised.
    for (QLineEdit* b : findChildren<QLineEdit*>())
        b->setCursorPosition(0);
}

void RecordPanel::clearBoxes() {
    if (m_category->count() > 0) m_category->setCurrentIndex(0);
    // setText, not clear(): clear() is an edit that can be undone, and
    // keeps the old text in the box's memory for that.
    for (QLineEdit* b : {m_description, m_userCode, m_password, m_expiryDate, m_passwordConfirm,
                         m_email, m_webSite})
        b->setText(QString());
    m_notes->clear();
}

void RecordPanel::startNewRecord() {
    m_s.session.isFilling = true;
    clearBoxes();
    m_s.session.isFilling = false;
    m_newMark->show();
}

bool RecordPanel::checkBoxes() {
    if (m_userCode->text().trimmed().isEmpty()) {
        m_s.messages.show(QStringLiteral("Account/UserCode must have a valid entry!"));
        return false;
    }
    if (m_password->text().isEmpty()) {
        NormalPointer();
        m_s.messages.show(QStringLiteral("Password is blank!"), QStringLiteral("Warning"));
        BusyPointer();
    }
    if (m_password->text().trimmed() != m_passwordConfirm->text().trimmed()) {
        m_s.messages.show(QStringLiteral("Password and confirmation entry do not match!"));
        NormalPointer();
        return false;
    }
    m_expiryDate->setText(m_expiryDate->text().trimmed());
    if (!m_expiryDate->text().isEmpty()) {
        const std::optional<QDate> date =
            parseDateText(m_expiryDate->text(), m_s.clock.now().date());
        if (!date) {
            m_s.messages.show(QStringLiteral("  Enter a valid Expiry Date!"));
            m_expiryDate->setFocus();
            return false;
        }
        const QString typed = m_expiryDate->text();
        // Always day first, the order every expiry date is read in.
        if (!(typed.size() == 5 && typed[2] == QLatin1Char('/')))
            m_expiryDate->setText(date->toString(QStringLiteral("dd/MM/yyyy")));
    }
    return true;
}

std::optional<SaveOutcome> RecordPanel::save() {
    if (!checkBoxes()) return std::nullopt;
    PasswordRecord record;
    record[PasswordRecord::Category] =
        m_category->currentIndex() == 0 ? QString() : m_category->currentText().trimmed();
    record[PasswordRecord::Description] = m_description->text().trimmed();
    record[PasswordRecord::UserCode] = m_userCode->text().trimmed();
    record[PasswordRecord::Password] = m_password->text().trimmed();
    // Line breaks are stored as CR LF, as the Windows version writes them.
    record[PasswordRecord::Notes] =
        m_notes->toPlainText().trimmed().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    record[PasswordRecord::ExpiryDate] = m_expiryDate->text();
    record[PasswordRecord::WebSite] = m_webSite->text();
    record[PasswordRecord::Email] = m_email->text();
    // A field the user did not touch goes back exactly as it was stored:
    // the trimming is for what was typed.
    const QStringList stored = storedFields();
    for (int i = 0; i < PasswordRecord::FieldCount; ++i) {
        const QString before = stored.value(i + 1);
        const auto field = PasswordRecord::Field(i + 1);
        QLineEdit* box = boxFor(field);
        const bool untouched =
            field == PasswordRecord::Notes
                ? m_notes->toPlainText() ==
                      QString(before).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                : box && box->text() == before;
        if (!stored.isEmpty() && untouched) record.fields[i] = before;
    }
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
            return std::nullopt;
        }
    }

    // A changed record is stored anew at the end of the list.
    RecordList& records = m_s.profile.Records;
    const qsizetype position = storedPosition();
    QString replaced;
    if (position > 0) {
        replaced = records.item(position);
        records.remove(position);
    }
    const QString line = record.toLine();
    records.add(line);
    const SaveOutcome outcome = m_s.runner.save();
    if (changeKept(outcome)) {
        // Nothing reached the disk: keep memory as the file is, so UNDO and
        // a second try both start from the stored record.
        records.remove(records.count());
        if (position > 0) records.insert(position, replaced);
    } else if (outcome == SaveOutcome::Saved || outcome == SaveOutcome::Merged) {
        // Merged with another user's save, the record may sit elsewhere, or
        // be gone when the user kept their version instead.
        const qsizetype at = records.lines().lastIndexOf(line);
        if (at < 0) {
            forget();
            return outcome;
        }
        m_newMark->hide();
        m_currentKey = recordKey(at + 1);
        setDirty(false);
    }
    return outcome;
}

void RecordPanel::undo() {
    m_s.session.isFilling = true;
    clearBoxes();
    fillBoxes(m_currentKey);
    m_s.session.isFilling = false;
    m_newMark->hide();
    setDirty(false);
}

bool RecordPanel::confirmLeave() {
    if (m_dirty) {
        const MsgAnswer answer = m_s.messages.show(
            QStringLiteral("Are you sure you wish to abandon this new record?"),
            QStringLiteral("New Record Abort"), MsgIcon::Question, MsgButtons::YesNo, 2);
        setDirty(false);
        if (answer != MsgAnswer::Yes) return false;
    }
    m_newMark->hide();
    return true;
}

std::optional<SaveOutcome> RecordPanel::deleteRecord() {
    const MsgAnswer answer =
        m_s.messages.show(QStringLiteral("Are you sure you wish to delete this record?"),
                          QStringLiteral("Delete Entry"), MsgIcon::Question, MsgButtons::YesNo, 2);
    const qsizetype position = storedPosition();
    if (answer != MsgAnswer::Yes || position == 0) return std::nullopt;
    RecordList& records = m_s.profile.Records;
    const QString removed = records.item(position);
    records.remove(position);
    const SaveOutcome outcome = m_s.runner.save();
    NormalPointer();
    if (outcome == SaveOutcome::Saved || outcome == SaveOutcome::Merged) {
        // Deleting wins over unsaved changes in the panel.
        forget();
    } else if (changeKept(outcome)) {
        records.insert(position, removed);
    }
    return outcome;
}

QStringList RecordPanel::storedFields() const {
    const qsizetype position = storedPosition();
    if (position == 0) return {};
    return m_s.profile.Records.item(position).split(QLatin1Char('|'));
}

bool RecordPanel::confirmOverwrite() {
    if (m_password->text().isEmpty()) return true;
    const MsgAnswer answer = m_s.messages.show(
        QStringLiteral("You are about to overwrite the current password with a new high "
                       "security password\r\n"
                       "Do you wish to save the old password under Notes?\r\n"
                       "Press CANCEL to exit!"),
        QStringLiteral("Password"), MsgIcon::Warning, MsgButtons::YesNoCancel, 2);
    if (answer == MsgAnswer::Cancel) return false;
    if (answer == MsgAnswer::Yes) {
        QString notes = m_notes->toPlainText();
        if (!notes.isEmpty()) notes += QStringLiteral("\r\n");
        m_notes->setPlainText(notes + QStringLiteral(" pwd:<") + m_password->text() +
                              QLatin1Char('>'));
    }
    return true;
}

void RecordPanel::putPassword(const QString& password) {
    m_password->setText(password);
    m_passwordConfirm->setText(password);
}

const PasswordGenerator& RecordPanel::generator() {
    // The word list is read once, when first needed.
    if (!m_generator) m_generator = std::make_unique<PasswordGenerator>(m_s.clock, passphraseWords());
    return *m_generator;
}

std::optional<double> RecordPanel::generatePassword() {
    GeneratorOptions options = GeneratorDialog::remembered(m_s.settings);
    QString password = generator().generate(options);
    if (password.isEmpty()) {
        // Options this workstation can not make (the word list gone): the
        // classic seven, rather than nothing.
        options = GeneratorOptions{};
        password = generator().generate(options);
    }
    if (!confirmOverwrite()) return std::nullopt;
    putPassword(password);
    return generator().strengthBits(options);
}

std::optional<double> RecordPanel::generateWithOptions() {
    GeneratorOptions options = GeneratorDialog::remembered(m_s.settings);
    std::optional<QString> password;
    if (askGenerator) {
        password = askGenerator(generator(), options);
    } else {
        GeneratorDialog dialog(generator(), options, window());
        if (dialog.exec() == QDialog::Accepted) {
            password = dialog.password();
            options = dialog.options();
        }
    }
    if (!password || password->isEmpty()) return std::nullopt;
    GeneratorDialog::remember(m_s.settings, options);
    if (!confirmOverwrite()) return std::nullopt;
    putPassword(*password);
    return generator().strengthBits(options);
}

} // namespace tavrino
