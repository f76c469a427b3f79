#include "profiles_page.h"

#include "ui/common/name_list.h"

#include "shell/message_service.h"
#include "store/login_check.h"
#include "store/profile.h"
#include "ui/common/store_runner.h"
#include "store/profile_manager.h"
#include "store/profile_store.h"
#include "store/record_import.h"
#include "shell/clock.h"
#include "ui/common/session_state.h"

#include "shell/settings_store.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>

namespace tavrino {

namespace {
const QString SealedWarning = QStringLiteral(
    "A sealed profile can be opened only with its login, and the Windows version of Tavrino "
    "does not see it.");
} // namespace

ProfilesPage::ProfilesPage(VaultServices& services)
    : SetupPage(QStringLiteral("User Profile"), services), m_profiles(new QComboBox) {
    m_profiles->setAccessibleName(QStringLiteral("Profiles"));
    layOutAsList(m_profiles, QStringLiteral("New Profile Name"), QStringLiteral("New Profile Name"));
    auto* grid = static_cast<QGridLayout*>(layout());
    // Sealed profiles: useless without their login, unknown to the Windows version.
    m_createSealed = new QPushButton(QStringLiteral("Create sealed profile"), this);
    m_seal = new QPushButton(QStringLiteral("Seal this profile"), this);
    m_unseal = new QPushButton(QStringLiteral("Unseal"), this);
    auto* row = new QHBoxLayout;
    for (QPushButton* b : {m_createSealed, m_seal, m_unseal}) {
        b->setAccessibleName(b->text());
        row->addWidget(b);
    }
    row->addStretch();
    grid->addLayout(row, 3, 0, 1, 2);
    // Where the profiles are: a folder of one's own, or a team's shared one.
    m_folder = new QLabel(this);
    m_folder->setWordWrap(true);
    m_folder->setAccessibleName(QStringLiteral("Database folder"));
    m_changeFolder = new QPushButton(QStringLiteral("Change database folder..."), this);
    m_changeFolder->setAccessibleName(QStringLiteral("Change database folder"));
    grid->addWidget(m_folder, 4, 0, 1, 2);
    grid->addWidget(m_changeFolder, 5, 0, 1, 1, Qt::AlignLeft);
    // Moving in from another password manager, and out again.
    m_import = new QPushButton(QStringLiteral("Import..."), this);
    m_import->setAccessibleName(QStringLiteral("Import records"));
    m_import->setToolTip(QStringLiteral("Records from a CSV export of KeePassXC, Bitwarden, Chrome, "
                                        "Edge, Firefox, 1Password or Tavrino"));
    m_export = new QPushButton(QStringLiteral("Export..."), this);
    m_export->setAccessibleName(QStringLiteral("Export records"));
    m_export->setToolTip(QStringLiteral("The records as a CSV file (passwords in plain text)"));
    auto* moving = new QHBoxLayout;
    moving->addWidget(m_import);
    moving->addWidget(m_export);
    moving->addStretch();
    grid->addLayout(moving, 6, 0, 1, 2);
    grid->setRowStretch(7, 1);
    const QString csvFilter = QStringLiteral("CSV files (*.csv);;All files (*)");
    chooseImportFile = [this, csvFilter] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Import records from"), QDir::homePath(),
                                            csvFilter);
    };
    chooseExportFile = [this, csvFilter] {
        return QFileDialog::getSaveFileName(
            this, QStringLiteral("Export records to"),
            QDir::home().filePath(m_s.profile.name() + QStringLiteral(".csv")), csvFilter);
    };
    connect(m_import, &QPushButton::clicked, this, &ProfilesPage::importRecords);
    connect(m_export, &QPushButton::clicked, this, &ProfilesPage::exportRecords);
    chooseFolder = [this](const QString& current) {
        return QFileDialog::getExistingDirectory(this, QStringLiteral("Choose the database folder"),
                                                 current);
    };
    connect(m_changeFolder, &QPushButton::clicked, this, &ProfilesPage::onChangeFolderClicked);
    askLogin = [this](int mode, const QString& why) { return LoginPrompt::ask(mode, why, this); };
    connect(m_createSealed, &QPushButton::clicked, this, &ProfilesPage::onCreateSealedClicked);
    connect(m_seal, &QPushButton::clicked, this, [this] { onSealClicked(true); });
    connect(m_unseal, &QPushButton::clicked, this, [this] { onSealClicked(false); });
}

void ProfilesPage::importRecords() {
    if (!m_s.session.loginOk) return;
    const QString path = chooseImportFile();
    if (path.isEmpty()) return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_s.messages.show(QStringLiteral("%1 can not be read: %2").arg(path, file.errorString()),
                          QStringLiteral("Import"), MsgIcon::Warning);
        return;
    }
    RecordImport import = RecordImport::read(file.readAll(), m_s.clock.now().date());
    if (!import.error.isEmpty()) {
        m_s.messages.show(QStringLiteral("Nothing was imported from %1: %2").arg(path, import.error),
                          QStringLiteral("Import"), MsgIcon::Warning);
        return;
    }
    const ProfileStore::Snapshot before = m_s.store.snapshot();
    const ImportOutcome outcome = addImported(m_s.profile, import.records);
    // In the profile now: not held twice while the profile is saved.
    import.records = {};
    if (outcome.added > 0) {
        const SaveOutcome saved = m_s.runner.save();
        if (saved != SaveOutcome::Saved && saved != SaveOutcome::Merged) {
            // Not saved: the profile stays as it was, and says why.
            if (saved != SaveOutcome::ConflictLogin) m_s.store.restore(before);
            noteSave();
            return;
        }
        emit recordsImported();
    }
    m_s.messages.show(importReport(import, outcome), QStringLiteral("Import"), MsgIcon::Information);
}

void ProfilesPage::exportRecords() {
    if (!m_s.session.loginOk) return;
    const QString path = chooseExportFile();
    if (path.isEmpty()) return;
    // Every password in plain text: for this user's eyes only, from the start.
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        written = file.write(exportCsv(m_s.profile)) >= 0 && file.commit();
    }
    if (!written) {
        m_s.messages.show(QStringLiteral("%1 could not be written: %2").arg(path, file.errorString()),
                          QStringLiteral("Export"), MsgIcon::Warning);
        return;
    }
    // Kept as password managers read it back; a spreadsheet would run what
    // looks like a formula, which whoever can edit a shared record may plant.
    const int formulas = formulaCells(m_s.profile);
    m_s.messages.show(QStringLiteral("%1 records exported to %2.\r\nThe file holds every password in "
                                     "plain text: keep it safe, and delete it once it has served.")
                              .arg(m_s.profile.Records.count())
                              .arg(path) +
                          (formulas ? QStringLiteral("\r\n%1 cells begin with =, +, -, @ or a "
                                                     "control character: do not open the file in "
                                                     "a spreadsheet, which would run them as "
                                                     "formulas.")
                                          .arg(formulas)
                                    : QString()),
                      QStringLiteral("Export"), formulas ? MsgIcon::Warning : MsgIcon::Information);
}

void ProfilesPage::showSealing() {
    // Only an opened profile can change how it is kept.
    const bool opened = m_s.profile.ProfileLoaded && m_s.store.isOpened();
    m_seal->setVisible(opened && !m_s.store.isSealed());
    m_unseal->setVisible(opened && m_s.store.isSealed());
}

void ProfilesPage::onCreateSealedClicked() {
    m_creatingSealed = true;
    add();
}

bool ProfilesPage::confirmLogin(const QString& why) {
    const SecuritySettings& s = m_s.profile.Security;
    const std::optional<TypedLogin> typed = askLogin(s.LoginMode, why);
    if (!typed) return false;
    if (CheckLogin(s, typed->userId, typed->password, typed->pin)) return true;
    m_s.messages.show(QStringLiteral(" The Details are incorrect. Please re-enter."));
    return false;
}

void ProfilesPage::onSealClicked(bool seal) {
    const QString name = m_s.profile.name();
    const QString warning =
        seal ? SealedWarning + QStringLiteral(" Seal %1?").arg(name)
             : QStringLiteral("An unsealed profile can be read by whoever holds its file, as the "
                              "Windows version's profiles can. Unseal %1?")
                   .arg(name);
    if (m_s.messages.show(warning, QStringLiteral("Profile"), MsgIcon::Question, MsgButtons::YesNo,
                          2) != MsgAnswer::Yes)
        return;
    if (!confirmLogin(QStringLiteral("The login of %1, to %2 it:")
                          .arg(name, seal ? QStringLiteral("seal") : QStringLiteral("unseal"))))
        return;
    if (m_s.runner.convertTo(seal)) {
        m_s.messages.show(QStringLiteral("%1 is now kept as %2.").arg(name, m_s.profile.ProfileFileName),
                          QStringLiteral("Profile"), MsgIcon::Information);
    } else {
        noteSave();
    }
    fillList();
    showSealing();
}

void ProfilesPage::fillList() {
    const QStringList names = m_s.profiles.ListProfiles();
    showNames(m_profiles, names);
    m_folder->setText(QStringLiteral("Database folder: ") + m_s.store.databaseFolder());
}

void ProfilesPage::onChangeFolderClicked() {
    const QString current = m_s.settings.GetDatabaseFolder();
    const QString chosen = chooseFolder(current);
    if (chosen.isEmpty() || QDir(chosen) == QDir(current)) return;
    const QFileInfo folder(chosen);
    if (!folder.isDir() || !folder.isReadable() || !folder.isExecutable()) {
        m_s.messages.show(QStringLiteral("%1 is no folder that can be read.").arg(chosen),
                          QStringLiteral("Database folder"), MsgIcon::Warning);
        return;
    }
    if (!m_s.settings.WriteSetting(QStringLiteral("Database"), folder.absoluteFilePath())) {
        m_s.messages.show(QStringLiteral("The settings file %1 could not be written.")
                              .arg(m_s.settings.path()),
                          QStringLiteral("Database folder"), MsgIcon::Warning);
        return;
    }
    m_s.messages.show(QStringLiteral("The database folder is now %1.\r\nTavrino locks, so that "
                                     "you can open a profile there.")
                          .arg(folder.absoluteFilePath()),
                      QStringLiteral("Database folder"), MsgIcon::Information);
    emit databaseFolderChanged();
}

SetupTools ProfilesPage::enter() {
    fillList();
    showSealing();
    return {true, true, false, false};
}

void ProfilesPage::add() {
    emit toolsChanged({true, false, true, true});
    showEntry(true);
    m_entry->setFocus();
}

void ProfilesPage::save() {
    const bool sealed = std::exchange(m_creatingSealed, false);
    if (sealed &&
        m_s.messages.show(SealedWarning + QStringLiteral(" Create it sealed?"),
                          QStringLiteral("Profile"), MsgIcon::Question, MsgButtons::YesNo,
                          2) != MsgAnswer::Yes)
        return;
    if (m_s.profiles.CreateProfile(m_entry->text(), sealed)) m_entry->clear();
    fillList();
    showEntry(false);
    emit toolsChanged({true, true, false, false});
}

void ProfilesPage::cancel() {
    m_creatingSealed = false;
    emit dirtyChanged(false);
    showEntry(false);
    emit toolsChanged({true, true, false, false});
}

void ProfilesPage::remove() {
    m_s.profiles.DeleteProfile(chosenName(m_profiles));
    fillList();
}

} // namespace tavrino
