#pragma once

#include "crypto/text_cipher.h"
#include "shell/error_log.h"
#include "shell/settings_store.h"
#include "store/profile_manager.h"
#include "store/profile_store.h"
#include "support/test_support.h"
#include "ui/common/address_service.h"
#include "ui/common/session_state.h"
#include "ui/common/vault_services.h"
#include "ui/desktop/flat_button.h"
#include "ui/vault/vault_window.h"

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
    ProfileStore store{profile, log, cipher, messages, pause, clock};
    ProfileManager profiles{store, settings, messages};
    SessionState session;
    VaultServices services{profile,  store, profiles,  settings, log,
                           messages, clock, addresses, session};
    std::unique_ptr<VaultWindow> window;
    int gettingStarted = 0;

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
    }

    VaultWindow& start(const QString& profileName = {}) {
        window = std::make_unique<VaultWindow>(services);
        window->showGettingStarted = [this] { ++gettingStarted; };
        window->Form_Load();
        if (!profileName.isEmpty()) {
            window->cboProfile->setCurrentText(profileName);
            window->cboProfile_Click();
        }
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
        type(w.txtUser, QStringLiteral("alice"));
        type(w.txtpass, QStringLiteral("S3cret pass"));
        type(w.txtPin, QStringLiteral("4711"));
        QTest::mousePress(w.UCLoginBtn, Qt::LeftButton);
        EXPECT_TRUE(session.LoginOK);
        messages.shown.clear();
        return w;
    }

    // Selects the record node "C" + position in the tree and opens it.
    void openRecord(qsizetype position) {
        VaultWindow& w = *window;
        const QModelIndex index = w.treeModel->indexOfKey(recordKey(position));
        ASSERT_TRUE(index.isValid()) << position;
        w.TV1->setCurrentIndex(index);
        w.ShowSelectedRecord();
    }

    PasswordRecord record(qsizetype position) const {
        return PasswordRecord::fromLine(profile.Records.item(position));
    }
};

} // namespace tavrino::test
