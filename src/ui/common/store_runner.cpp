#include "store_runner.h"

#include "shell/message_service.h"
#include "store/format_conversion.h"
#include "store/profile_manager.h"
#include "ui/common/store_wait_dialog.h"

#include <QTimer>

namespace tavrino {

StoreRunner::StoreRunner(ProfileStore& store, ProfileManager& profiles, MessageService& messages,
                         QObject* parent)
    : QObject(parent), m_store(store), m_profiles(profiles), m_messages(messages) {}

StoreRunner::Busy::Busy(StoreRunner& runner) : m_runner(runner) {
    ++m_runner.m_busy;
}

StoreRunner::Busy::~Busy() {
    if (--m_runner.m_busy == 0) emit m_runner.idle();
}

bool StoreRunner::runAttempts(const std::function<StoreStep(bool lastAttempt)>& attempt) {
    if (attempt(false) == StoreStep::Finished) return true;
    // Another workstation's save holds the profile: the next attempts come
    // from a timer, so the window answers (and can be told to stop) meanwhile.
    StoreWaitDialog dialog(m_waitParent);
    int attemptNumber = 2;
    dialog.setAttempt(attemptNumber, ProfileStore::Attempts);
    QTimer timer;
    timer.setInterval(m_retryPauseMs);
    connect(&timer, &QTimer::timeout, &dialog, [&] {
        timer.stop();
        const bool last = attemptNumber == ProfileStore::Attempts;
        if (attempt(last) == StoreStep::Finished) {
            dialog.accept();
            return;
        }
        dialog.setAttempt(++attemptNumber, ProfileStore::Attempts);
        timer.start();
    });
    timer.start();
    emit waiting(attemptNumber);
    return dialog.exec() == QDialog::Accepted;
}

void StoreRunner::showNotices() {
    for (const Message& m : m_store.takeNotices())
        m_messages.show(m);
}

SaveOutcome StoreRunner::save() {
    Busy busy(*this);
    if (!runAttempts([this](bool last) { return m_store.save(last); })) m_store.cancelSave();
    showNotices();
    return m_store.lastSaveOutcome();
}

bool StoreRunner::open(const QString& name) {
    Busy busy(*this);
    bool opened = false;
    if (!runAttempts([&](bool last) { return m_profiles.tryOpenProfile(name, last, opened); }))
        opened = false;
    showNotices();
    return opened;
}

bool StoreRunner::convertTo(bool sealed) {
    Busy busy(*this);
    FormatConversion conversion(m_store, sealed);
    if (!conversion.isPossible()) return false;
    if (!runAttempts([&](bool last) { return conversion.attempt(last); })) m_store.cancelSave();
    const bool converted = conversion.finish();
    showNotices();
    return converted;
}

} // namespace tavrino
