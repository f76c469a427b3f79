// Saves one profile over and over, each save putting its number into the
// first record's notes; the crash test kills it at random moments.
#include "crypto/text_cipher.h"
#include "shell/clock.h"
#include "shell/error_log.h"
#include "shell/message_service.h"
#include "store/profile_store.h"
#include "store/waiting.h"

#include <cstdio>

using namespace tavrino;

namespace {
class Silent : public MessageService {
public:
    using MessageService::show;
    MsgAnswer show(const Message& m) override {
        std::fprintf(stderr, "%s\n", qPrintable(m.text));
        return MsgAnswer::Ok;
    }
};
class NoWait : public PauseService {
public:
    void pause(int) override {}
};
} // namespace

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    Clock clock;
    Silent messages;
    NoWait pause;
    ErrorLog log(&clock);
    TextCipher cipher(&log, &messages);
    cipher.setEndingHandler([] { std::_Exit(3); });
    Profile profile;
    ProfileStore store(profile, log, cipher, clock);
    WaitingStore waiting(store, pause, messages);
    store.setDatabaseFolder(QString::fromLocal8Bit(argv[1]));
    if (argc > 4) store.saveWatch().setNotesFolder(QString::fromLocal8Bit(argv[4]));
    profile.ProfileFileName = QString::fromLocal8Bit(argv[2]);
    if (!waiting.read()) return 4;
    const int saves = std::atoi(argv[3]);
    for (int i = 1; i <= saves; ++i) {
        PasswordRecord r = PasswordRecord::fromLine(profile.Records.item(1));
        r[PasswordRecord::Notes] = QStringLiteral("save %1").arg(profile.ChangeStamp + 1);
        profile.Records.remove(1);
        profile.Records.add(r.toLine());
        waiting.save();
        if (!profile.ProfileSaved) return 5;
    }
    return 0;
}
