#pragma once

#include "crypto/text_cipher.h"
#include "shell/error_log.h"
#include "shell/settings_store.h"
#include "store/profile_manager.h"
#include "store/profile_store.h"
#include "store/version_shelf.h"
#include "store/waiting.h"
#include "support/child_process.h"
#include "support/test_support.h"
#include "ui/common/address_service.h"
#include "ui/common/session_state.h"
#include "ui/common/store_runner.h"
#include "ui/common/vault_services.h"
#include "ui/desktop/flat_button.h"
#include "ui/vault/command_bars.h"
#include "ui/vault/lock_controller.h"
#include "ui/vault/login_panel.h"
#include "ui/vault/record_panel.h"
#include "ui/vault/tree_panel.h"
#include "ui/vault/vault_window.h"

#include "support/widget_lookup.h"

#include "ui/desktop/image_button.h"
#include "ui/popup/record_popup.h"
#include "ui/tree/record_tree_view.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>

namespace tavrino::test {

class RecordingAddresses : public AddressService {
public:
    bool open(const QString& address) override {
        opened << address;
        return true;
    }
    QStringList opened;
};

// A vault window over a temporary database folder and settings file, with
// every service scripted.
struct VaultFixture {
    QTemporaryDir dir;
    QTemporaryDir appDir;
    FixedClock clock;
    ScriptedMessages messages;
    NoPause pause;
    RecordingAddresses addresses;
    SettingsStore settings{dir.filePath(QStringLiteral("settings.ini")), appDir.path()};
    ErrorLog log{&clock};
    TextCipher cipher{&log, &messages};
    Profile profile;
    ProfileStore store{profile, log, cipher, clock};
    VersionShelf shelf{dir.filePath(QStringLiteral("versions"))};
    ProfileManager profiles{store, settings, messages};
    StoreRunner runner{store, profiles, messages};
    WaitingStore waiting{store, pause, messages}; // another workstation, as the CLI saves
    SessionState session;
    VaultServices services{profile, store,    profiles, runner,    settings,
                           log,     messages, clock,    addresses, session};
    std::unique_ptr<VaultWindow> window;
    int gettingStarted = 0;
    // The conflict dialog's answers, first one first (none left: Keep both,
    // as closing it does), and every conflict it was asked about.
    QList<ConflictChoice> conflictAnswers;
    QList<MergeConflict> conflictsAsked;

    // fixtures: the shared profiles to put in the database folder, first one first.
    explicit VaultFixture(const QStringList& fixtures, const QString& timer = QStringLiteral("0")) {
        const QString db = dir.filePath(QStringLiteral("db"));
        QDir().mkpath(db);
        settings.createMissingKeys(db);
        settings.WriteSetting(QStringLiteral("Startup"), QStringLiteral("1"));
        settings.WriteSetting(QStringLiteral("Timer"), timer);
        for (const QString& name : fixtures) {
            const QString target = db + QLatin1Char('/') + name + QStringLiteral(".dat");
            writeFile(target, readFile(fixturePath(name + QStringLiteral(".dat"))));
        }
        cipher.setEndingHandler([] {});
        runner.setRetryPauseMs(1);
        runner.setConflictQuestion([this](const MergeConflict& conflict) {
            conflictsAsked.append(conflict);
            return conflictAnswers.isEmpty() ? ConflictChoice::KeepBoth : conflictAnswers.takeFirst();
        });
        store.stampMemory().setPath(dir.filePath(QStringLiteral("stamps.ini")));
        store.setVersionShelf(&shelf);
    }

    VaultWindow& start(const QString& profileName = {}) {
        window = std::make_unique<VaultWindow>(services);
        window->showGettingStarted = [this] { ++gettingStarted; };
        window->load();
        if (!profileName.isEmpty()) window->loginPanel().chooseProfile(profileName);
        window->show();
        window->focusFirstLoginBox();
        return *window;
    }

    void type(QLineEdit* box, const QString& text) {
        box->clear();
        bool ascii = true;
        for (QChar c : text)
            ascii = ascii && c.unicode() < 128;
        if (ascii)
            QTest::keyClicks(box, text);
        else
            box->setText(text);
    }

    QString dbPath(const QString& file) const { return dir.filePath(QStringLiteral("db/")) + file; }

    // Work (login mode 3) open and logged into, messages so far forgotten.
    VaultWindow& loginWork() {
        VaultWindow& w = start(QStringLiteral("Work"));
        type(box("User ID"), QStringLiteral("alice"));
        type(box("Password"), QStringLiteral("S3cret pass"));
        type(box("PIN Number"), QStringLiteral("4711"));
        QTest::mousePress(button(CommandBars::Login), Qt::LeftButton);
        EXPECT_TRUE(session.loginOk);
        messages.shown.clear();
        return w;
    }

    // Selects the record node "C" + position in the tree and opens it as
    // Enter does.
    void openRecord(qsizetype position) {
        const QModelIndex index = treeModel()->indexOfKey(recordKey(position));
        ASSERT_TRUE(index.isValid()) << position;
        tree()->setCurrentIndex(index);
        QTest::keyClick(tree(), Qt::Key_Return);
    }

    // The window's controls, found by the names screen readers know them by.
    template <class T = QLineEdit> T* control(const char* name) const {
        return named<T>(window.get(), QString::fromUtf8(name));
    }
    QLineEdit* box(const char* name) const { return control<QLineEdit>(name); }
    QComboBox* combo(const char* name) const { return control<QComboBox>(name); }
    QComboBox* profileBox() const { return combo("Choose a profile to open !"); }
    QLineEdit* answer(int k) const {
        return box(QStringLiteral("Answer %1").arg(k + 1).toUtf8().constData());
    }
    // The caption over a box (the label whose buddy it is).
    QLabel* captionOf(QWidget* box) const {
        for (QLabel* label : window->findChildren<QLabel*>())
            if (label->buddy() == box) return label;
        return nullptr;
    }
    QPlainTextEdit* notes() const { return control<QPlainTextEdit>("Notes"); }
    QTreeView* tree() const { return window->treePanel().view(); }
    RecordTreeModel* treeModel() const { return window->treePanel().model(); }
    QPushButton* grouping() const { return control<QPushButton>("A-Z"); }
    ImageButton* image(const char* name) const { return control<ImageButton>(name); }
    QLabel* loggedInNote() const { return window->findChild<QLabel*>(QStringLiteral("loggedInNote")); }
    QFrame* loginPanel() const { return control<QFrame>("Login"); }
    QFrame* recordPanel() const { return control<QFrame>("Record"); }
    FlatButton* button(CommandBars::Command command) const {
        return window->commandBars().button(command);
    }
    // The bar a button stands on.
    QWidget* barOf(CommandBars::Command command) const {
        return button(command)->parentWidget();
    }

    PasswordRecord record(qsizetype position) const {
        return PasswordRecord::fromLine(profile.Records.item(position));
    }
};

// Another workstation (a process of its own) reads Work, changes it and
// saves it, in the database folder of f.
inline void saveElsewhere(VaultFixture& f, const std::function<void(Profile&)>& change) {
    ChildProcess other([&] {
        VaultFixture g({});
        g.store.setDatabaseFolder(f.dir.filePath(QStringLiteral("db")));
        g.profile.ProfileFileName = QStringLiteral("Work.dat");
        if (!g.waiting.read(true)) return 1;
        change(g.profile);
        g.waiting.save();
        return g.profile.ProfileSaved ? 0 : 2;
    });
    ASSERT_EQ(other.result(), 0);
}

// The descriptions of Work's records as its file holds them now.
inline QStringList descriptionsOnDisk(VaultFixture& f) {
    VaultFixture g({});
    g.store.setDatabaseFolder(f.dir.filePath(QStringLiteral("db")));
    g.profile.ProfileFileName = QStringLiteral("Work.dat");
    g.waiting.read(true);
    QStringList out;
    for (const QString& line : g.profile.Records.lines())
        out << PasswordRecord::fromLine(line)[PasswordRecord::Description];
    return out;
}

} // namespace tavrino::test
