#pragma once

#include "crypto/text_cipher.h"
#include "shell/error_log.h"
#include "store/profile.h"
#include "store/profile_store.h"
#include "store/waiting.h"
#include "support/test_support.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace tavrino::test {

// What a fixture's JSON says the profile holds.
struct ExpectedProfile {
    QJsonObject json;
    explicit ExpectedProfile(const QString& jsonName)
        : json(QJsonDocument::fromJson(readFile(fixturePath(jsonName))).object()) {}
};

// Compares a loaded profile with a fixture description, field by field.
inline void expectContent(const Profile& p, const QJsonObject& j, std::int32_t stampOffset = 0) {
    EXPECT_EQ(p.Security.LoginMode, j[QStringLiteral("login_mode")].toInt());
    EXPECT_EQ(p.Security.UserId, j[QStringLiteral("user_id")].toString());
    EXPECT_EQ(p.Security.Password, j[QStringLiteral("password")].toString());
    EXPECT_EQ(p.Security.Pin, j[QStringLiteral("pin")].toString());
    EXPECT_EQ(p.Security.AnswersRequired, j[QStringLiteral("answers_required")].toInt());
    EXPECT_EQ(p.ChangeStamp, j[QStringLiteral("change_stamp")].toInt() + stampOffset);

    const QJsonArray categories = j[QStringLiteral("categories")].toArray();
    ASSERT_EQ(p.Categories.count(), categories.size());
    for (int i = 0; i < categories.size(); ++i)
        EXPECT_EQ(p.Categories.item(i + 1), Profile::categoryLine(categories[i].toString()));

    const QJsonArray questions = j[QStringLiteral("questions")].toArray();
    ASSERT_EQ(p.Security.Questions.count(), questions.size());
    for (int i = 0; i < questions.size(); ++i) {
        const QJsonArray qa = questions[i].toArray();
        EXPECT_EQ(p.Security.Questions.item(i + 1),
                  SecuritySettings::questionLine(qa[0].toString(), qa[1].toString()));
    }

    const QJsonArray records = j[QStringLiteral("records")].toArray();
    ASSERT_EQ(p.Records.count(), records.size());
    for (int i = 0; i < records.size(); ++i) {
        const QJsonArray fields = records[i].toArray();
        const PasswordRecord r = PasswordRecord::fromLine(p.Records.item(i + 1));
        for (int f = 0; f < PasswordRecord::FieldCount; ++f)
            ASSERT_EQ(r.fields[f], fields[f].toString())
                << "record " << i + 1 << " field " << f + 1;
    }
}

// A store over a temporary database folder with scripted services.
struct StoreFixture {
    QTemporaryDir dir;
    QTemporaryDir notes; // this workstation's sightings of saves in progress
    FixedClock clock;
    ScriptedMessages messages;
    NoPause pause;
    ErrorLog log{&clock};
    TextCipher cipher{&log, &messages};
    Profile profile;
    ProfileStore store{profile, log, cipher, clock};
    WaitingStore waiting{store, pause, messages};
    int endings = 0;

    StoreFixture() {
        store.setDatabaseFolder(dir.path());
        store.saveWatch().setNotesFolder(notes.path());
        store.stampMemory().setPath(notes.filePath(QStringLiteral("stamps.ini")));
        cipher.setEndingHandler([this] { ++endings; });
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    bool open(const QString& fileName) {
        profile.ProfileFileName = fileName;
        return waiting.read();
    }
    // A save run to its end as the command-line tool runs it.
    void save() { waiting.save(); }
    // Time passes until a save seen in progress counts as abandoned.
    void waitTillAbandoned() {
        clock.time = clock.time.addMSecs(store.saveWatch().abandonedAfterMs());
    }
    QString logText() const { return QString::fromUtf8(readFile(log.filePath())); }
};

} // namespace tavrino::test
