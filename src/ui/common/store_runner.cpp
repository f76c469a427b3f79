#include "store_runner.h"

#include "shell/message_service.h"
#include "store/copy_intake.h"
#include "store/folder_listing.h"
#include "store/format_conversion.h"
#include "store/profile_manager.h"
#include "ui/common/conflict_dialog.h"
#include "ui/common/conflict_report.h"
#include "ui/common/store_wait_dialog.h"

#include <QTimer>

namespace tavrino {

StoreRunner::StoreRunner(ProfileStore& store, ProfileManager& profiles, MessageService& messages,
                         QObject* parent)
    : QObject(parent), m_store(store), m_profiles(profiles), m_messages(messages),
      m_askConflict([this](const MergeConflict& c) { return ConflictDialog::ask(c, m_waitParent); }) {}

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
    return saveWithCopies(false);
}

SaveOutcome StoreRunner::savePendingChange() {
    Busy busy(*this);
    if (!m_store.takePendingChange()) return SaveOutcome::Saved;
    return saveUntilDecided(true);
}

SaveOutcome StoreRunner::saveUntilDecided(bool merged) {
    const ProfileStore::Snapshot before = m_store.snapshot();
    QList<MergeConflict> conflicts = m_store.takeConflicts();
    QList<ConflictReport::Answered> answers;
    SaveOutcome outcome = SaveOutcome::Saved;
    for (;;) {
        // Asked with no lock held: nobody waits while the user thinks.
        for (const MergeConflict& conflict : conflicts) {
            const ConflictChoice choice = m_askConflict(conflict);
            m_store.resolve(conflict, choice);
            answers.append({conflict, choice});
        }
        if (!runAttempts([this](bool last) { return m_store.save(last); })) m_store.cancelSave();
        showNotices();
        outcome = m_store.lastSaveOutcome();
        if (outcome != SaveOutcome::NeedsChoice) break;
        merged = true;
        conflicts = m_store.takeConflicts();
    }
    if (changeKept(outcome)) m_store.restore(before);
    if (outcome == SaveOutcome::Saved && merged) outcome = SaveOutcome::Merged;
    if (outcome != SaveOutcome::Merged) return outcome;
    // What an answer dropped is said in a box; a merge that dropped
    // nothing only in the window's bottom line.
    if (!answers.isEmpty())
        m_messages.show(ConflictReport::outcome(answers), QStringLiteral("Tavrino"),
                        MsgIcon::Information);
    else
        emit note(QStringLiteral("Saved with others' changes"));
    return outcome;
}

void StoreRunner::takeInConflictCopies() {
    Busy busy(*this);
    saveWithCopies(true);
}

SaveOutcome StoreRunner::saveWithCopies(bool onlyForCopies) {
    const ProfileStore::Snapshot before = m_store.snapshot();
    CopyIntake intake(m_store, m_askConflict);
    const IntakeOutcome taken = intake.takeIn(FolderListing::of(m_store.databaseFolder()));
    SaveOutcome outcome = SaveOutcome::Saved;
    // After a login nothing else is unsaved: copies that bring nothing new
    // only go.
    if (!onlyForCopies || taken.profileChanged) outcome = saveUntilDecided(false);
    if (changeKept(outcome)) {
        m_store.restore(before);
        return outcome;
    }
    // Removed only once what they brought is on disk.
    QString line = taken.summary();
    if (outcome == SaveOutcome::Saved || outcome == SaveOutcome::Merged) {
        const QStringList stuck = intake.removeTaken();
        if (!stuck.isEmpty())
            line += QStringLiteral("; could not remove %1").arg(stuck.join(QStringLiteral("; ")));
    }
    if (!line.isEmpty()) emit note(line);
    return outcome;
}

bool StoreRunner::open(const QString& name) {
    Busy busy(*this);
    bool opened = false;
    if (!runAttempts([&](bool last) { return m_profiles.tryOpenProfile(name, last, opened); }))
        opened = false;
    showNotices();
    return opened;
}

std::optional<bool> StoreRunner::logIn(const std::function<bool()>& login) {
    Busy busy(*this);
    bool loggedIn = false;
    if (!runAttempts([&](bool last) { return m_store.tryLogIn(login, last, loggedIn); }))
        return std::nullopt;
    return loggedIn;
}

bool StoreRunner::convertTo(bool sealed) {
    Busy busy(*this);
    FormatConversion conversion(m_store, sealed);
    if (!conversion.isPossible()) {
        if (!conversion.refusal().isEmpty())
            m_messages.show(conversion.refusal(), QStringLiteral("Tavrino"), MsgIcon::Warning);
        return false;
    }
    if (!runAttempts([&](bool last) { return conversion.attempt(last); })) m_store.cancelSave();
    const bool converted = conversion.finish();
    showNotices();
    return converted;
}

} // namespace tavrino
