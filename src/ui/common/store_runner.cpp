#include "store_runner.h"

#include "shell/message_service.h"
#include "shell/visible_text.h"
#include "store/format_conversion.h"
#include "store/held_file.h"
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
    return saveUntilDecided(false);
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

void StoreRunner::offerConflictCopies() {
    const QString name = m_store.profile().name();
    QStringList copies = ProfileManager::conflictCopies(m_store.databaseFolder(), name);
    // A handful are asked about one by one; a folder with more (planted, or
    // piled up) gets one summary instead of a question each.
    constexpr qsizetype Asked = 3;
    if (copies.size() > Asked) {
        QStringList named;
        for (qsizetype i = Asked; i < copies.size() && named.size() < 5; ++i)
            named << visibleText(copies.at(i));
        if (copies.size() - Asked > named.size())
            named << QStringLiteral("and %1 more").arg(copies.size() - Asked - named.size());
        m_messages.show(QStringLiteral("%1 more conflict copies of this profile are in the "
                                       "folder and were left as they are: %2.\r\n"
                                       "tavrino-cli merge takes them in one by one.")
                            .arg(copies.size() - Asked)
                            .arg(named.join(QStringLiteral(", "))),
                        QStringLiteral("Conflict copy"), MsgIcon::Information);
        copies = copies.first(Asked);
    }
    for (const QString& copy : std::as_const(copies)) {
        if (m_messages.show(QStringLiteral("A sync tool left a conflicting copy of this profile: "
                                           "%1\r\nMerge it into this profile now?")
                                .arg(visibleText(copy)),
                            QStringLiteral("Conflict copy"), MsgIcon::Question,
                            MsgButtons::YesNo) != MsgAnswer::Yes)
            continue;
        const QString path = m_store.pathOf(copy);
        ProfileContent content;
        const QString why = m_store.readCopy(path, content);
        if (!why.isEmpty()) {
            m_messages.show(QStringLiteral("%1 could not be merged: %2").arg(visibleText(copy), why),
                            QStringLiteral("Conflict copy"), MsgIcon::Warning);
            continue;
        }
        const ProfileStore::Snapshot before = m_store.snapshot();
        const MergeResult result = m_store.takeCopy(content);
        const SaveOutcome outcome = result.added > 0 || result.settingsTaken
                                        ? save()
                                        : SaveOutcome::Saved;
        if (outcome != SaveOutcome::Saved && outcome != SaveOutcome::Merged) {
            // Not on disk: memory stays as the file is.
            if (outcome != SaveOutcome::ConflictLogin) m_store.restore(before);
            continue;
        }
        FileOps::renameNoReplace(path, path + QStringLiteral(".merged"));
        m_messages.show(
            QStringLiteral("%1 merged: %2 records added, %3 kept in both versions.")
                .arg(visibleText(copy))
                .arg(result.added)
                .arg(result.conflicts.size()),
            QStringLiteral("Conflict copy"), MsgIcon::Information);
    }
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
