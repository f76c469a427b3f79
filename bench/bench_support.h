#pragma once
// What the benchmarks share: a store over a temporary copy of Big.dat, and
// a reporter that prints the ratios the speed goals are set in.
#include "crypto/text_cipher.h"
#include "shell/clock.h"
#include "shell/error_log.h"
#include "shell/message_service.h"
#include "store/profile_store.h"
#include "store/waiting.h"

#include "ratio_report.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace tavrino::bench {

inline QByteArray bigFile() {
    QFile f(QStringLiteral(TAVRINO_FIXTURES "/Big.dat"));
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

class Quiet : public MessageService {
public:
    using MessageService::show;
    MsgAnswer show(const Message&) override { return MsgAnswer::Ok; }
};

class NoPause : public PauseService {
public:
    void pause(int) override {}
};

struct BigStore {
    QTemporaryDir dir;
    QTemporaryDir notes;
    Clock clock;
    Quiet messages;
    NoPause pause;
    ErrorLog log{&clock};
    TextCipher cipher{&log, &messages};
    Profile profile;
    ProfileStore store{profile, log, cipher, clock};
    WaitingStore waiting{store, pause, messages};
    BigStore() {
        QFile out(dir.filePath(QStringLiteral("Big.dat")));
        out.open(QIODevice::WriteOnly);
        out.write(bigFile());
        out.close();
        store.setDatabaseFolder(dir.path());
        store.saveWatch().setNotesFolder(notes.path());
        profile.ProfileFileName = QStringLiteral("Big.dat");
    }
};

} // namespace tavrino::bench
